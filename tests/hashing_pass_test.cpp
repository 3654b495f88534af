#include <gtest/gtest.h>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#endif

#include <algorithm>
#include <atomic>
#include <chrono>
#include <deque>
#include <filesystem>
#include <fstream>
#include <future>
#include <map>
#include <thread>

#include "digest/file_digest.h"
#include "digest/worker.h"
#include "framework/window_handles.h"
#include "platform/path_text.h"
#include "support/scratch_folder.h"
#ifndef _WIN32
#include "platform/input_file_stream.h"
#include "support/loop_disk_posix.h"
#include "support/processes.h"
#endif
#ifdef _WIN32
#include "support/windows_files.h"
#endif

namespace {

// What reaches the dialog: the worker posts UM_SCAN_COMPLETE, the progress callback UM_PROGRESS,
// as the dialog's own callback does.
void PostProgress(std::int32_t count) {
    if (g_hMainDialog != nullptr) {
        PostMessageW(g_hMainDialog, UM_PROGRESS, static_cast<WPARAM>(count), 0);
    }
}

class HashingRun : public ::testing::Test {
  protected:
    HashingRun() : queue_(std::make_shared<MessageQueue>()) {
        g_hMainDialog = CreateWindowHandle(queue_);
    }
    // Once the window is gone, posts to it fail and leave nothing behind, and its handle never
    // names another window.
    ~HashingRun() override {
        Notifications();
        DestroyWindowHandle(g_hMainDialog);
        EXPECT_FALSE(PostMessageW(g_hMainDialog, UM_PROGRESS, 1, 0));
        EXPECT_FALSE(PostMessageW(nullptr, UM_PROGRESS, 1, 0));
        const HWND next = CreateWindowHandle(queue_);
        EXPECT_NE(next, g_hMainDialog);
        DestroyWindowHandle(next);
        EXPECT_EQ(Notifications(), "");
        g_hMainDialog = nullptr;
    }

    // Runs the worker on its own thread over the root, as run control does.
    unsigned Run(const std::u16string& root, ProgressFunction progress = PostProgress) {
        digests_.clear();
        job_.failures.clear();
        ResetStopRequests(job_);
        WorkerStartBlock start{root, &job_, progress};
        unsigned exitCode = 99;
        std::thread worker([&] { exitCode = WorkerThreadProc(&start); });
        worker.join();
        return exitCode;
    }

    // The notifications in posting order, as "S<total>" and "P<count>".
    std::string Notifications() {
        std::string text;
        QueuedItem item;
        while (queue_->Peek(&item)) {
            const MSG& message = item.message;
            EXPECT_EQ(message.hwnd, g_hMainDialog);
            EXPECT_EQ(message.lParam, 0);
            text += message.message == UM_SCAN_COMPLETE ? "S"
                    : message.message == UM_PROGRESS    ? "P"
                                                        : "?";
            text += std::to_string(message.wParam) + " ";
        }
        return text;
    }

    std::vector<std::u16string> DigestPaths() const {
        std::vector<std::u16string> paths;
        for (const auto& entry : digests_)
            paths.push_back(entry.first);
        return paths;
    }

    std::shared_ptr<MessageQueue> queue_;
    FileCollector collector_;
    DigestTable digests_;
    HashJob job_{.collector = &collector_, .digests = &digests_, .failures = {}};
};

TEST_F(HashingRun, HashesInFolderOrderFilesByPathAndKeepsTheRootAsGiven) {
    ScratchFolder folder;
    folder.WriteFile("x/z.txt", "abc");
    folder.WriteFile("x/a/b.txt", "");
    folder.WriteFile("x/a/c.txt", "abc");
#ifdef _WIN32
    // Files held open without sharing cannot be read, as the FIFOs and the device on Linux.
    std::deque<FileHeldOpen> held;
    for (const char* name : {"x/z.pipe", "x/a/b.pipe", "x/d/zero"}) {
        folder.WriteFile(name, "");
        held.emplace_back(folder.Wide(name));
    }
#else
    folder.MakeFifo("x/z.pipe");
    folder.MakeFifo("x/a/b.pipe");
    folder.MakeLink("x/d/zero", "/dev/zero");
#endif

    EXPECT_EQ(Run(folder.Wide("x")), kWorkerRanToEnd);
    EXPECT_EQ(Notifications(), "S6 P0 P1 P2 P3 P4 P5 P6 ");
    EXPECT_EQ(DigestPaths(),
              (std::vector<std::u16string>{folder.Wide("x/a/b.txt"), folder.Wide("x/a/c.txt"),
                                           folder.Wide("x/z.txt")}));
    EXPECT_EQ(digests_.begin()->second, u"d41d8cd98f00b204e9800998ecf8427e");
    // The failures come in hashing order: the files of x before those of x/a.
    EXPECT_EQ(job_.failures.size(), 3u);
    EXPECT_EQ(std::vector(job_.failures.begin(), job_.failures.begin() + 2),
              (FailureList{folder.Wide("x/z.pipe"), folder.Wide("x/a/b.pipe")}));

    folder.MakeFolder("empty");
    EXPECT_EQ(Run(folder.Wide("empty")), kWorkerRanToEnd);
    EXPECT_EQ(Notifications(), "S0 P0 ");
    EXPECT_TRUE(digests_.empty());

    folder.WriteFile("t/top", "");
    folder.WriteFile("t/sub/inner", "");
    const std::u16string doubled = folder.Wide("t") + kPathSeparator + kPathSeparator;
    EXPECT_EQ(Run(folder.Wide("t") + kPathSeparator), kWorkerRanToEnd);
    EXPECT_EQ(DigestPaths(), (std::vector<std::u16string>{
                                 doubled + u"sub" + kPathSeparator + u"inner", doubled + u"top"}));
}

#ifndef _WIN32
// Paths past the 4,096 bytes that one system call takes: every file of a chain of 2,100 folders
// is reached under its full path (the program's own test lists one past 5,000 bytes).
TEST_F(HashingRun, FilesAtAnyDepthAreDigestedUnderTheirFullPaths) {
    ScratchFolder folder;
    std::string relative = "chain";
    std::vector<std::u16string> files;
    for (int level = 1; level <= 2100; ++level) {
        relative += "/d";
        if (level % 700 == 0) {
            folder.WriteFileAtAnyDepth(relative + "/f", "abc");
            files.push_back(folder.Wide(relative + "/f"));
        }
    }
    EXPECT_EQ(Run(folder.Wide("chain")), kWorkerRanToEnd);
    EXPECT_EQ(Notifications(), "S3 P0 P1 P2 P3 ");
    std::ranges::sort(files);
    EXPECT_EQ(DigestPaths(), files);
    EXPECT_EQ(digests_.rbegin()->second, u"900150983cd24fb0d6963f7d28e17f72");
    EXPECT_TRUE(job_.failures.empty());
}
#endif

#ifndef _WIN32
// md5sum's digests of the files, by full path: what the table must hold.
DigestTable Md5sumOf(const std::string& root, const std::vector<std::string>& names) {
    DigestTable digests;
    for (const std::string& name : names) {
        const std::string path = root + "/" + name;
        const CommandResult summed = RunCommand({"md5sum", path});
        EXPECT_EQ(summed.exitStatus, 0) << path;
        digests.emplace(NativeToWide(path), NativeToWide(summed.output.substr(0, 32)));
    }
    return digests;
}

std::uint64_t FirstPlace(const std::string& path) {
    return InputFileStream(NativeToWide(path)).Placement().firstPlace.value_or(0);
}

// On a disk that seeks, small files that must wait for it are read in the order of their places
// on it, which here is not the walk's: folder b was written before folder a, and a large file
// (read as on any storage) lies between. The files of folder a are in memory already, and go as
// on any storage. So through the ring and with reading threads. Where the file system cannot tell
// the places (squashfs), the walk's order serves. Either way the tables and the counts are those
// of one file after the other.
TEST_F(HashingRun, OnADiskThatSeeksFilesAreReadInItsOrderAndFiledInTheWalks) {
    ScratchFolder scratch;
    LoopDisk disk(scratch, LoopDisk::Contents::kExt4, true);
    ASSERT_EQ(disk.Error(), "");
    std::map<std::string, std::vector<std::string>> names;
    for (const char* folder : {"b", "a"}) {
        std::vector<std::string>& inFolder = names[folder];
        for (int i = 0; i < 40; ++i) {
            inFolder.push_back(std::string(folder) + "/" + std::to_string(i));
            scratch.WriteFile(
                "mounted/" + inFolder.back(),
                std::string(static_cast<std::size_t>(i * 997), static_cast<char>('a' + i % 26)));
        }
        inFolder.push_back(std::string(folder) + "/large");
        std::string large((std::size_t{20} << 20) + 3, 'x');
        for (std::size_t i = 0; i < large.size(); i += 4096)
            large[i] = static_cast<char>(i / 4096);
        scratch.WriteFile("mounted/" + inFolder.back(), large);
        inFolder.push_back(std::string(folder) + "/empty");
        scratch.WriteFile("mounted/" + inFolder.back(), "");
    }
    std::string counts = "S84 ";
    for (int i = 0; i <= 84; ++i)
        counts += "P" + std::to_string(i) + " ";
    for (const char* ring : {"1", "0"}) {
        SCOPED_TRACE(std::string("HASHWICK_IO_URING=") + ring);
        setenv("HASHWICK_IO_URING", ring, 1);
        ASSERT_TRUE(disk.LeaveOnlyOnDisk()) << disk.Error();
        ASSERT_LT(FirstPlace(disk.Mounted() + "/b/1"), FirstPlace(disk.Mounted() + "/a/1"))
            << "the arrangement this test needs";
        DigestTable expected = Md5sumOf(disk.Mounted(), names["a"]);

        EXPECT_EQ(Run(NativeToWide(disk.Mounted())), kWorkerRanToEnd);
        EXPECT_EQ(Notifications(), counts);
        expected.merge(Md5sumOf(disk.Mounted(), names["b"]));
        EXPECT_EQ(digests_, expected);
        EXPECT_TRUE(job_.failures.empty());
    }
    unsetenv("HASHWICK_IO_URING");

    ScratchFolder squashed;
    std::vector<std::string> packed;
    for (int i = 0; i < 30; ++i) {
        packed.push_back("f" + std::to_string(i));
        squashed.WriteFile("source/" + packed.back(),
                           std::string(static_cast<std::size_t>(i * 3001), 'p'));
    }
    const LoopDisk squash(squashed, LoopDisk::Contents::kSquashfsOfFolder, true, "source");
    ASSERT_EQ(squash.Error(), "");
    EXPECT_EQ(Run(NativeToWide(squash.Mounted())), kWorkerRanToEnd);
    EXPECT_TRUE(Notifications().ends_with(" P30 "));
    EXPECT_EQ(digests_, Md5sumOf(squash.Mounted(), packed));
    EXPECT_TRUE(job_.failures.empty());
}
#endif

// Stops the pass from inside the progress callback once the count reaches stopAt: the stop comes
// after the check before the next file, so it is seen while that file is read.
std::atomic<int> stopAt{-1};
HashJob* stoppedJob = nullptr;
void PostAndStop(std::int32_t count) {
    if (count == stopAt)
        stoppedJob->stopHashing = true;
    PostProgress(count);
}

TEST_F(HashingRun, AStopReportsTheTotalThenWhatWasProcessed) {
    ScratchFolder folder;
    for (const char* name : {"1", "2", "3", "4"})
        folder.WriteFile(name, name);
    // The last file in hashing order is large: it is left as soon as the stop comes.
    folder.MakeSparse("z/large", std::uintmax_t{1} << 31);
    stoppedJob = &job_;

    stopAt = 4;
    EXPECT_EQ(Run(folder.Wide(), PostAndStop), kWorkerHashingStopped);
    EXPECT_EQ(Notifications(), "S5 P0 P1 P2 P3 P4 P5 P4 ");
    EXPECT_EQ(digests_.size(), 4u) << "the file cut short is neither a digest nor a failure";
    EXPECT_TRUE(job_.failures.empty());

    // A small file under way when the stop comes may be finished; the counts tell either way.
    stopAt = 1;
    EXPECT_EQ(Run(folder.Wide(), PostAndStop), kWorkerHashingStopped);
    const std::string processed = std::to_string(digests_.size());
    EXPECT_EQ(Notifications(), "S5 P0 P1 P5 P" + processed + " ");
    EXPECT_TRUE(processed == "1" || processed == "2") << processed;

    // A request made before the pass begins is seen before the first file: no file is read. A
    // read would move a file's access time on from the past it is set to here.
    digests_.clear();
    collector_.Collect(FilesOnly);
#ifndef _WIN32
    const timespec past[2] = {{946684800, 0}, {UTIME_OMIT, 0}};
    for (const char* name : {"1", "2", "3", "4", "z/large"})
        ASSERT_EQ(utimensat(AT_FDCWD, folder.Path(name).c_str(), past, 0), 0);
#endif
    job_.progress = PostProgress;
    job_.stopHashing = true;
    job_.RunHashingPass();
    EXPECT_EQ(Notifications(), "P5 P0 ");
#ifndef _WIN32
    for (const char* name : {"1", "2", "3", "4", "z/large"}) {
        struct stat status {};
        ASSERT_EQ(stat(folder.Path(name).c_str(), &status), 0);
        EXPECT_EQ(status.st_atim.tv_sec, past[0].tv_sec) << name << " was read";
    }
#endif

    collector_.stopWalk = true;
    stopAt = -1;
    folder.WriteFile("z/large", "5");
    EXPECT_EQ(Run(folder.Wide()), kWorkerRanToEnd) << "a new run forgets earlier requests";
    EXPECT_EQ(Notifications(), "S5 P0 P1 P2 P3 P4 P5 ");
}

// Many large files in flight at once: a stop ends the run at once, not after the reads under way
// or the rest of any file.
std::atomic<bool> passBegun{false};
void PostAndNoteTheBeginning(std::int32_t count) {
    passBegun = true;
    PostProgress(count);
}

TEST_F(HashingRun, AStopIsSeenAtOnceWithManyReadsInFlight) {
    ScratchFolder folder;
    for (int i = 0; i < 64; ++i)
        folder.MakeSparse("f" + std::to_string(i), std::uint64_t{1} << 32);
    passBegun = false;
    std::chrono::steady_clock::time_point stopped;
    std::thread stopper([&] {
        while (!passBegun)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        stopped = std::chrono::steady_clock::now();
        job_.stopHashing = true;
    });
    EXPECT_EQ(Run(folder.Wide(), PostAndNoteTheBeginning), kWorkerHashingStopped);
    const auto ended = std::chrono::steady_clock::now();
    stopper.join();
    // Reading and digesting the 256 GiB would take many minutes; a second allows for a machine
    // that is busy with other work.
    EXPECT_LT(ended - stopped, std::chrono::seconds(1));
    EXPECT_TRUE(digests_.empty());
    EXPECT_TRUE(job_.failures.empty());
    EXPECT_EQ(Notifications(), "S64 P0 P64 P0 ");
}

// A stop requested after the run's worker was created stops that run, also at the two moments
// between its stages: before the walk begins and as the walk's end is posted.
std::atomic<int> calls{0};
void CountCall(std::int32_t) {
    ++calls;
}

TEST_F(HashingRun, AStopBetweenTheStagesStopsTheRun) {
    ScratchFolder folder;
    for (int i = 0; i < 40; ++i)
        folder.WriteFile("d" + std::to_string(i % 8) + "/f" + std::to_string(i), "x");
    const auto requestStop = [this] {
        collector_.stopWalk = true;
        job_.stopHashing = true;
    };
    for (const bool atWalkEnd : {false, true}) {
        digests_.clear();
        job_.failures.clear();
        ResetStopRequests(job_);
        calls = 0;
        queue_->SetArrivalHandler([&] {
            if (atWalkEnd)
                requestStop();
        });
        WorkerStartBlock start{folder.Wide(), &job_, CountCall};
        // A promise rather than a latch: MinGW-w64's latch may miss its wake-up and wait forever.
        std::promise<void> created;
        const std::future<void> go = created.get_future();
        unsigned exitCode = 99;
        std::thread worker([&] {
            go.wait();
            exitCode = WorkerThreadProc(&start);
        });
        if (!atWalkEnd)
            requestStop();
        created.set_value();
        worker.join();
        queue_->SetArrivalHandler(nullptr);
        Notifications();
        EXPECT_EQ(exitCode, atWalkEnd ? kWorkerHashingStopped : kWorkerWalkStopped);
        EXPECT_EQ(calls, atWalkEnd ? 2 : 0) << "the total, then none processed";
    }
}

// Files deleted, grown and shrunk and a folder removed after the walk, while helpers may already
// be reading them: each file is digested as it was or as it is, or listed as not read, and the
// counts stay true.
std::vector<std::filesystem::path> changing;
void ChangeFilesOnce(std::int32_t count) {
    if (count == 0) {
        std::error_code error;
        EXPECT_TRUE(std::filesystem::remove(changing[0], error));
        EXPECT_TRUE(
            std::ofstream(changing[1], std::ios::binary | std::ios::app).write("abc", 3).flush());
        std::filesystem::resize_file(changing[2], 1, error);
        EXPECT_FALSE(error);
        for (const char* name : {"1", "2"})
            EXPECT_TRUE(std::filesystem::remove(changing[3] / name, error)) << error.message();
        // Windows keeps a folder while a reader still holds one of its deleted files open.
        std::filesystem::remove(changing[3], error);
    }
    PostProgress(count);
}

TEST_F(HashingRun, FilesThatChangeDuringThePassKeepTheCountsTrue) {
    ScratchFolder folder;
    for (int i = 0; i < 40; ++i)
        folder.WriteFile("a/" + std::to_string(i), std::string(static_cast<std::size_t>(i), 'x'));
    for (const char* name : {"deleted", "grown", "shrunk"})
        folder.WriteFile(std::string("b/") + name, "abc");
    for (const char* name : {"c/gone/1", "c/gone/2"})
        folder.WriteFile(name, "abc");
    changing = {folder.Wide("b/deleted"), folder.Wide("b/grown"), folder.Wide("b/shrunk"),
                folder.Wide("c/gone")};
    EXPECT_EQ(Run(folder.Wide(), ChangeFilesOnce), kWorkerRanToEnd);
    EXPECT_TRUE(Notifications().ends_with(" P45 "));
    EXPECT_EQ(digests_.size() + job_.failures.size(), 45u);
    const std::u16string old = u"900150983cd24fb0d6963f7d28e17f72";
    const auto outcome = [&](const char* name) {
        const auto found = digests_.find(folder.Wide(std::string("b/") + name));
        return found == digests_.end() ? u"" : found->second;
    };
    EXPECT_TRUE(outcome("deleted") == old || outcome("deleted").empty());
    for (const char* name : {"grown", "shrunk"}) {
        const std::u16string now = FileDigest(folder.Wide(std::string("b/") + name).c_str());
        EXPECT_TRUE(outcome(name) == old || outcome(name) == now) << name;
    }
}

}  // namespace
