#include "digest/file_digest.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <future>
#include <random>
#include <sstream>

#include "platform/path_text.h"
#include "support/processes.h"
#include "support/scratch_folder.h"

namespace {

std::string Md5sumOf(const std::string& path) {
    const CommandResult result = RunCommand({"md5sum", "--", path});
    EXPECT_EQ(result.exitStatus, 0) << path;
    return result.output.substr(0, 32);
}

TEST(FileDigest, DigestsFilesAndGivesNothingWithoutOne) {
    ScratchFolder folder;
    folder.WriteFile("empty", "");
    folder.WriteFile("abc", "abc");
    folder.WriteFile("kilobyte", std::string(1024, 'k'));
    folder.MakeFolder("sub");

    EXPECT_EQ(FileDigest(folder.Wide("empty").c_str()), u"d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(FileDigest(folder.Wide("abc").c_str()), u"900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(FileDigest(folder.Wide("kilobyte").c_str()),
              Utf16(Md5sumOf(folder.Path("kilobyte"))));
    EXPECT_EQ(FileDigest(folder.Wide("missing").c_str()), u"");
    EXPECT_EQ(FileDigest(folder.Wide("sub").c_str()), u"");
    EXPECT_EQ(FileDigest(u""), u"");
}

TEST(FileDigest, AgreesWithMd5sumOnRandomDataOfManySizes) {
    ScratchFolder folder;
    std::mt19937 random(4242);
    std::vector<std::size_t> sizes;
    for (std::size_t size = 0; size <= 130; ++size)
        sizes.push_back(size);
    for (std::size_t around : {1024u, 2048u, 4096u, 65536u, 131072u, 1048576u}) {
        sizes.insert(sizes.end(), {around - 1, around, around + 1});
    }
    std::vector<std::string> command = {"md5sum", "--"};
    for (std::size_t size : sizes) {
        std::string bytes(size, '\0');
        for (char& byte : bytes)
            byte = static_cast<char>(random());
        folder.WriteFile("r" + std::to_string(size), bytes);
        command.push_back(folder.Path("r" + std::to_string(size)));
    }
    const CommandResult md5sum = RunCommand(command);
    ASSERT_EQ(md5sum.exitStatus, 0);
    std::istringstream lines(md5sum.output);
    for (std::size_t size : sizes) {
        std::string expected, path;
        lines >> expected >> path;
        EXPECT_EQ(FileDigest(folder.Wide("r" + std::to_string(size)).c_str()), Utf16(expected))
            << size;
    }
}

// A FIFO without a writer, an endless device and a device that is always empty: none of them
// blocks or runs forever, and none is digested.
TEST(FileDigest, OnlyRegularFilesAreDigested) {
    ScratchFolder folder;
    folder.MakeFifo("fifo");
    folder.MakeLink("zero", "/dev/zero");
    folder.MakeLink("null", "/dev/null");
    EXPECT_EQ(FileDigest(folder.Wide("fifo").c_str()), u"");
    EXPECT_EQ(FileDigest(folder.Wide("zero").c_str()), u"");
    EXPECT_EQ(FileDigest(folder.Wide("null").c_str()), u"");
}

TEST(FileDigest, AReadThatFailsAfterTheOpenGivesNoDigest) {
    // This process's memory file opens as a regular file, and reading its first page fails.
    ScratchFolder folder;
    folder.MakeLink("memory", "/proc/self/mem");
    const int probe = open(folder.Path("memory").c_str(), O_RDONLY);
    ASSERT_GE(probe, 0);
    char byte;
    ASSERT_LT(read(probe, &byte, 1), 0);
    close(probe);
    EXPECT_EQ(FileDigest(folder.Wide("memory").c_str()), u"");
}

TEST(FileDigest, ReadsNamesThatAreNotUtf8AndRefusesUnreadableFiles) {
    ScratchFolder folder;
    folder.WriteFile("caf\xE9-\xFF.bin", "abc");
    folder.WriteFile("secret", "abc");
    folder.SetMode("secret", 0);
    EXPECT_EQ(FileDigest(folder.Wide("caf\xE9-\xFF.bin").c_str()),
              u"900150983cd24fb0d6963f7d28e17f72");
    const std::string unprivileged = RunUnprivileged(
        [&] { return FileDigest(folder.Wide("secret").c_str()).empty() ? "refused" : "read"; });
    EXPECT_EQ(unprivileged, "refused");
}

// Past 4 GiB the byte count no longer fits 32 bits and the bit count carries into its high word.
TEST(FileDigest, SparseFileLargerThan4GiBAgreesWithMd5sum) {
    ScratchFolder folder;
    const std::string path = folder.Path("sparse");
    const int descriptor = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(descriptor, 0);
    const off_t size = (off_t{1} << 32) + 4096 + 37;
    for (off_t at : {off_t{0}, (off_t{1} << 29) - 1, off_t{1} << 32, size - 5}) {
        ASSERT_EQ(pwrite(descriptor, "hash!", 5, at), 5);
    }
    close(descriptor);
    auto md5sum = std::async(std::launch::async, [&] { return Md5sumOf(path); });
    const std::u16string digest = FileDigest(NativeToWide(path).c_str());
    EXPECT_EQ(digest, Utf16(md5sum.get()));
}

}  // namespace
