#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <latch>
#include <map>
#include <mutex>
#include <random>
#include <thread>

#include "digest/worker.h"
#include "framework/window_handles.h"
#include "platform/path_text.h"
#include "support/processes.h"
#include "support/scratch_folder.h"

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
    ~HashingRun() override {
        DestroyWindowHandle(g_hMainDialog);
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
    folder.MakeFifo("x/z.pipe");
    folder.MakeFifo("x/a/b.pipe");
    folder.WriteFile("x/a/c.txt", "abc");

    EXPECT_EQ(Run(folder.Wide("x")), kWorkerRanToEnd);
    EXPECT_EQ(Notifications(), "S5 P0 P1 P2 P3 P4 P5 ");
    EXPECT_EQ(DigestPaths(),
              (std::vector<std::u16string>{folder.Wide("x/a/b.txt"), folder.Wide("x/a/c.txt"),
                                           folder.Wide("x/z.txt")}));
    EXPECT_EQ(digests_.begin()->second, u"d41d8cd98f00b204e9800998ecf8427e");
    // The failures come in hashing order: the files of x before those of x/a.
    EXPECT_EQ(job_.failures, (FailureList{folder.Wide("x/z.pipe"), folder.Wide("x/a/b.pipe")}));

    folder.MakeFolder("empty");
    EXPECT_EQ(Run(folder.Wide("empty")), kWorkerRanToEnd);
    EXPECT_EQ(Notifications(), "S0 P0 ");
    EXPECT_TRUE(digests_.empty());

    folder.WriteFile("t/top", "");
    folder.WriteFile("t/sub/inner", "");
    EXPECT_EQ(Run(folder.Wide("t") + u"/"), kWorkerRanToEnd);
    EXPECT_EQ(DigestPaths(), (std::vector<std::u16string>{folder.Wide("t") + u"//sub/inner",
                                                          folder.Wide("t") + u"//top"}));
}

// Stops the pass from inside the progress callback once the count reaches stopAt.
std::atomic<int> stopAt{-1};
HashJob* stoppedJob = nullptr;
void PostAndStop(std::int32_t count) {
    if (count == stopAt)
        stoppedJob->stopHashing = true;
    PostProgress(count);
}

TEST_F(HashingRun, StopsAfterKFilesReportingTheTotalThenTheProcessedCount) {
    ScratchFolder folder;
    for (const char* name : {"1", "2", "3", "4", "5"})
        folder.WriteFile(name, name);
    stoppedJob = &job_;

    stopAt = 1;  // seen before the third file: two processed
    EXPECT_EQ(Run(folder.Wide(), PostAndStop), kWorkerHashingStopped);
    EXPECT_EQ(Notifications(), "S5 P0 P1 P5 P2 ");
    EXPECT_EQ(digests_.size() + job_.failures.size(), 2u);

    stopAt = 4;  // set while the last file is hashed: every file processed
    EXPECT_EQ(Run(folder.Wide(), PostAndStop), kWorkerHashingStopped);
    EXPECT_EQ(Notifications(), "S5 P0 P1 P2 P3 P4 P5 ");
    EXPECT_EQ(digests_.size(), 5u);

    // A request made before the pass begins is seen before the first file.
    job_.progress = PostProgress;
    job_.stopHashing = true;
    job_.RunHashingPass();
    EXPECT_EQ(Notifications(), "P5 P5 ");

    collector_.stopWalk = true;
    stopAt = -1;
    EXPECT_EQ(Run(folder.Wide()), kWorkerRanToEnd) << "a new run forgets earlier requests";
    EXPECT_EQ(Notifications(), "S5 P0 P1 P2 P3 P4 P5 ");
}

// A stop requested at any moment after the run's worker was created stops that run promptly:
// whatever it was doing, at most the file under way is finished. A run whose worker has ended
// is never stopped by the requests made for it.
std::atomic<int> callsEntered{0};
void CountCall(std::int32_t) {
    ++callsEntered;
}

TEST_F(HashingRun, StopAtAnyMomentStopsPromptlyAndOnlyItsOwnRun) {
    ScratchFolder folder;
    for (int i = 0; i < 40; ++i) {
        folder.WriteFile("d" + std::to_string(i % 8) + "/f" + std::to_string(i),
                         std::string(2000, 'x'));
    }
    const auto requestStop = [this] {
        collector_.stopWalk = true;
        job_.stopHashing = true;
    };
    // Odd runs are not stopped; the others after a random delay, after the thread exists but
    // before it walks, or on the worker itself as the walk's end is posted.
    enum Moment { kAfterDelay = 0, kBeforeWalk = 2, kAtWalkEnd = 4, kNever };
    std::mt19937 random(99);
    std::map<unsigned, int> exits;
    for (int trial = 0; trial < 400; ++trial) {
        const Moment moment = trial % 2 == 1 ? kNever : static_cast<Moment>(trial % 6);
        digests_.clear();
        job_.failures.clear();
        ResetStopRequests(job_);
        callsEntered = 0;
        queue_->SetArrivalHandler([&] {
            if (moment == kAtWalkEnd)
                requestStop();
        });
        WorkerStartBlock start{folder.Wide(), &job_, CountCall};
        unsigned exitCode = 99;
        std::latch created(1);
        std::thread worker([&] {
            created.wait();
            exitCode = WorkerThreadProc(&start);
        });
        if (moment == kBeforeWalk)
            requestStop();
        created.count_down();
        int callsAtStop = 0;
        if (moment == kAfterDelay) {
            const auto until =
                std::chrono::steady_clock::now() + std::chrono::microseconds(random() % 1500);
            while (std::chrono::steady_clock::now() < until) {
            }
            requestStop();
            callsAtStop = callsEntered;
        }
        worker.join();
        const int calls = callsEntered;
        ++exits[exitCode];
        switch (moment) {
            case kNever:
                ASSERT_EQ(exitCode, kWorkerRanToEnd) << trial;
                ASSERT_EQ(calls, 41) << trial;
                break;
            case kBeforeWalk:
                ASSERT_EQ(exitCode, kWorkerWalkStopped) << trial;
                ASSERT_EQ(calls, 0) << trial;
                break;
            case kAtWalkEnd:
                ASSERT_EQ(exitCode, kWorkerHashingStopped) << trial;
                ASSERT_EQ(calls, 2) << "the total, then none processed";
                break;
            case kAfterDelay:
                // At most the file under way, the total and the final count follow a request.
                ASSERT_LE(calls - callsAtStop, 3) << trial;
                ASSERT_TRUE(exitCode != kWorkerRanToEnd || calls == callsAtStop) << trial;
                break;
        }
    }
    queue_->SetArrivalHandler(nullptr);
    Notifications();
    EXPECT_GT(exits[kWorkerHashingStopped], 0);
}

}  // namespace
