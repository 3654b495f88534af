#include "digest/file_digest.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <random>
#include <sstream>

#include "support/processes.h"
#include "support/scratch_folder.h"

namespace {

TEST(FileDigest, AgreesWithMd5sumOnRandomDataOfManySizes) {
    ScratchFolder folder;
    std::mt19937 random(4242);
    std::vector<std::size_t> sizes;
    for (std::size_t size = 0; size <= 130; ++size)
        sizes.push_back(size);
    for (std::size_t around : {1024u, 2048u, 4096u, 65536u, 131072u, 1048576u})
        sizes.insert(sizes.end(), {around - 1, around, around + 1});
    std::vector<std::string> command = {"md5sum", "--"};
    for (std::size_t size : sizes) {
        std::string bytes(size, '\0');
        for (char& byte : bytes)
            byte = static_cast<char>(random());
        // Names that are not UTF-8 are read as well.
        folder.WriteFile("r\xE9" + std::to_string(size), bytes);
        command.push_back(folder.Path("r\xE9" + std::to_string(size)));
    }
    const CommandResult md5sum = RunCommand(command);
    ASSERT_EQ(md5sum.exitStatus, 0);
    std::istringstream lines(md5sum.output);
    for (std::size_t size : sizes) {
        std::string expected, path;
        lines >> expected >> path;
        EXPECT_EQ(FileDigest(folder.Wide("r\xE9" + std::to_string(size)).c_str()), Utf16(expected))
            << size;
    }
}

// None of these gives a digest, and none blocks or runs forever: a FIFO without a writer, an
// endless device, a device that is always empty, the kernel's files that never end or are taken
// away from others by reading them, a folder, nothing at all, and a file the user may not read.
TEST(FileDigest, GivesNoDigestWithoutAFileToRead) {
    ScratchFolder folder;
    folder.MakeFifo("fifo");
    folder.MakeLink("zero", "/dev/zero");
    folder.MakeLink("null", "/dev/null");
    folder.MakeLink("pagemap", "/proc/self/pagemap");
    folder.MakeLink("status", "/proc/self/status");
    folder.MakeLink("kernel", "/sys/kernel/uevent_seqnum");
    folder.MakeFolder("sub");
    for (const char* name : {"fifo", "zero", "null", "pagemap", "status", "kernel", "sub", "none"})
        EXPECT_EQ(FileDigest(folder.Wide(name).c_str()), u"") << name;
    EXPECT_EQ(FileDigest(u""), u"");

    folder.WriteFile("secret", "abc");
    folder.SetMode("secret", 0);
    const std::string unprivileged = RunUnprivileged(
        [&] { return FileDigest(folder.Wide("secret").c_str()).empty() ? "refused" : "read"; });
    EXPECT_EQ(unprivileged, "refused");
    EXPECT_EQ(FileDigest(folder.Wide("secret").c_str()), u"900150983cd24fb0d6963f7d28e17f72");
}

// A file that opens and then fails to read: its bytes so far are not its digest. The failure is
// real: a compressed file system image whose data block is damaged.
TEST(FileDigest, AReadThatFailsAfterTheOpenGivesNoDigest) {
    if (geteuid() != 0)
        GTEST_SKIP() << "mounting the damaged image needs root";
    ScratchFolder folder;
    folder.WriteFile("content/file", std::string(300000, 'h'));
    ASSERT_EQ(RunCommand({"mksquashfs", folder.Path("content"), folder.Path("image"), "-noappend",
                          "-quiet", "-no-xattrs"})
                  .exitStatus,
              0);
    // The data follows the 96-byte superblock.
    std::string image = folder.ReadFile("image");
    for (std::size_t at = 100; at < 160; ++at)
        image[at] = static_cast<char>(image[at] ^ 0x55);
    folder.WriteFile("image", image);
    folder.MakeFolder("mounted");
    const CommandResult mount =
        RunCommand({"mount", "-o", "loop,ro", folder.Path("image"), folder.Path("mounted")});
    ASSERT_EQ(mount.exitStatus, 0) << mount.errors;
    const std::u16string digest = FileDigest(folder.Wide("mounted/file").c_str());
    RunCommand({"umount", folder.Path("mounted")});
    EXPECT_EQ(digest, u"");
}

// A stop request is seen inside a file: a large file is left unfinished at once, with no result.
TEST(FileDigest, AStopLeavesAFileUnfinished) {
    ScratchFolder folder;
    folder.WriteFile("large", "");
    ASSERT_EQ(truncate(folder.Path("large").c_str(), off_t{1} << 40), 0);
    const std::atomic<bool> stop{true};
    EXPECT_EQ(FileDigest(folder.Wide("large").c_str(), stop), std::nullopt);
    const std::atomic<bool> goOn{false};
    folder.WriteFile("small", "abc");
    EXPECT_EQ(FileDigest(folder.Wide("small").c_str(), goOn), u"900150983cd24fb0d6963f7d28e17f72");
}

}  // namespace
