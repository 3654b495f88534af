#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/file_attributes.h"
#include "platform/input_file_stream.h"
#include "platform/path_text.h"
#include "support/processes.h"
#include "support/scratch_folder.h"

namespace fs = std::filesystem;

namespace {

// What the attribute query must say: the answer of a lookup of the whole path.
DWORD WholePathAttributes(const std::string& native) {
    struct stat status {};
    if (stat(native.c_str(), &status) != 0)
        return INVALID_FILE_ATTRIBUTES;
    return S_ISDIR(status.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
}

std::string Contents(const std::string& native) {
    InputFileStream stream(NativeToWide(native));
    std::string bytes;
    std::uint8_t piece[64];
    while (!stream.fail()) {
        stream.read(piece, sizeof piece);
        bytes.append(reinterpret_cast<const char*>(piece), stream.gcount());
    }
    return stream.eof() && !stream.bad() ? bytes : "(failed)";
}

// Whether each descriptor of this process that is open on the path is closed on exec.
std::vector<bool> DescriptorsOn(const std::string& native) {
    std::vector<bool> closedOnExec;
    for (const fs::directory_entry& entry : fs::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        if (fs::read_symlink(entry.path(), error) == native) {
            const int descriptor = std::stoi(entry.path().filename());
            closedOnExec.push_back((fcntl(descriptor, F_GETFD) & FD_CLOEXEC) != 0);
        }
    }
    return closedOnExec;
}

// Each path is queried three times in a row, so the later queries start from the kept folder.
TEST(PathLookup, AnswersAsLookupsOfTheWholePath) {
    ScratchFolder folder;
    folder.WriteFile("f", "abc");
    folder.WriteFile("caf\xE9", "xyz");
    folder.WriteFile("sub/g", "");
    folder.MakeLink("up", "..");
    folder.MakeLink("sub-link", "sub");
    folder.MakeLink("dangling", "missing");
    folder.MakeLink("loop", "loop");
    folder.MakeFifo("fifo");
    // A folder whose own path fits the kernel's limit while the path of its entry does not.
    std::string deep = folder.Path("");
    while (deep.size() < PATH_MAX - 250)
        deep += "/" + std::string(200, 'n');
    fs::create_directories(deep);
    const std::string longName(250, 'e');
    const int deepFolder = open(deep.c_str(), O_PATH | O_DIRECTORY);
    const int file = openat(deepFolder, longName.c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(file, 0);
    close(file);
    const std::string top = folder.Root().substr(0, folder.Root().find('/', 1));

    const std::vector<std::string> paths = {
        folder.Path("f"),
        folder.Path("caf\xE9"),
        folder.Path("sub"),
        folder.Path("sub/g"),
        folder.Path("sub-link/g"),
        folder.Path("up"),
        folder.Path("dangling"),
        folder.Path("loop"),
        folder.Path("fifo"),
        folder.Path("missing"),
        folder.Path("f/x"),
        folder.Path("/f"),
        folder.Path("sub/"),
        folder.Path("sub/."),
        folder.Path("sub/.."),
        deep + "/" + longName,
        "/",
        "/" + top,
    };
    for (const std::string& path : paths) {
        for (int time = 0; time < 3; ++time) {
            EXPECT_EQ(GetFileAttributesW(NativeToWide(path).c_str()), WholePathAttributes(path))
                << path;
        }
    }
    EXPECT_EQ(Contents(folder.Path("caf\xE9")), "xyz");
    EXPECT_EQ(Contents(folder.Path("/f")), "abc");
    EXPECT_EQ(Contents(folder.Path("fifo")), "(failed)");
    // Too long for the scratch folder's own removal.
    unlinkat(deepFolder, longName.c_str(), 0);
    close(deepFolder);
}

TEST(PathLookup, SeesARemovedFolderAtOnceAndAReplacedOneWithinATenthOfASecond) {
    ScratchFolder folder;
    folder.WriteFile("d/f", "old");
    const std::string path = folder.Path("d/f");
    EXPECT_EQ(Contents(path), "old");
    EXPECT_EQ(Contents(path), "old");

    fs::remove_all(folder.Path("d"));
    folder.WriteFile("d/f", "new");
    EXPECT_EQ(Contents(path), "new");
    EXPECT_EQ(Contents(path), "new");

    fs::rename(folder.Path("d"), folder.Path("d-old"));
    folder.WriteFile("d/f", "newer");
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_EQ(Contents(path), "newer");
}

TEST(PathLookup, KeptFolderEndsWithItsThreadAndIsDroppedInForkedChildren) {
    ScratchFolder folder;
    folder.WriteFile("d/f", "");
    folder.WriteFile("d/g", "");
    std::vector<bool> whileKept;
    std::thread([&] {
        GetFileAttributesW(folder.Wide("d/f").c_str());
        GetFileAttributesW(folder.Wide("d/g").c_str());
        whileKept = DescriptorsOn(folder.Path("d"));
    }).join();
    EXPECT_EQ(whileKept, std::vector<bool>{true});
    EXPECT_TRUE(DescriptorsOn(folder.Path("d")).empty());

    // The parent still reaches the file through its kept folder; the child, whose user may differ,
    // looks the whole path up.
    folder.WriteFile("locked/inner/f", "");
    const std::u16string locked = folder.Wide("locked/inner/f");
    GetFileAttributesW(locked.c_str());
    GetFileAttributesW(locked.c_str());
    folder.SetMode("locked", 0);
    const std::string child = RunUnprivileged([&] {
        return GetFileAttributesW(locked.c_str()) == INVALID_FILE_ATTRIBUTES ? "refused" : "found";
    });
    EXPECT_EQ(child, "refused");
}

}  // namespace
