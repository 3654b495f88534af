// What only Windows has: its console program, locked files, long paths, the read-only attribute
// and names that its code page 932 cannot write.
#include <gtest/gtest.h>

#include <thread>

#include "digest/worker.h"
#include "platform/path_text.h"
#include "report/list_writer.h"
#include "support/code_page.h"
#include "support/processes.h"
#include "support/scratch_folder.h"
#include "support/texts.h"
#include "support/windows_files.h"

namespace {

// The list of a run over the folder, written into output.
std::string ListOf(const std::u16string& root, const ScratchFolder& output) {
    FileCollector collector;
    DigestTable digests;
    HashJob job{.collector = &collector, .digests = &digests, .failures = {}};
    ResetStopRequests(job);
    WorkerStartBlock start{root, &job, nullptr};
    std::thread([&] { WorkerThreadProc(&start); }).join();
    const ListFileResult result = WriteDigestList(
        collector.roots.front(), static_cast<std::int32_t>(collector.collectedCount), digests,
        job.failures, 0, 0, 0, output.Wide());
    EXPECT_TRUE(result.written) << *WideToNative(result.reason);
    return output.ReadFile(*WideToNative(result.fileName));
}

TEST(WindowsRun, Probe) {
    ScratchFolder folder;
    ScratchFolder output;
    folder.WriteFile("docs/a.txt", "abc");
    std::cout << ListOf(folder.Wide("docs"), output);
}

}  // namespace
