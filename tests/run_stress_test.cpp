// Runs started and cancelled at random moments: no hang, no crash, no leak, and a list for every
// run whose walk had ended.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <thread>

#include "platform/path_text.h"
#include "support/dialog_session.h"

namespace {

using Screen = ScriptedBackend::Screen;

int Number(const Screen& screen, int id) {
    return std::stoi(*WideToNative(Text(screen, id)));
}

constexpr int kFiles = 1200;

TEST(RunControl, StartAndCancelAtRandomMoments) {
    ScratchFolder folder;
    for (int i = 0; i < kFiles; ++i) {
        folder.WriteFile("tree/d" + std::to_string(i % 30) + "/f" + std::to_string(i),
                         std::string(static_cast<std::size_t>(16384 + i), 'x'));
    }
    DialogSession session;
    const std::string listPath = session.WorkingDirectory().Path("Hashwick_tree.txt");

    // One whole run, from its start, tells how long a run lasts on this machine and build.
    session.StartRun(folder.Path("tree"));
    const auto began = std::chrono::steady_clock::now();
    ASSERT_TRUE(session.WaitForIdleWith(kFiles, kFiles));
    const auto runTime = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - began);

    std::mt19937 random(31337);
    int cancelled = 0;
    for (int round = 0; round < 40; ++round) {
        std::filesystem::remove(listPath);
        session.StartRun(folder.Path("tree"));
        std::this_thread::sleep_for(std::chrono::microseconds(
            static_cast<long>(random() % static_cast<unsigned long>(runTime.count() + 1))));
        session.Ui().Click(IDC_CANCEL_RUN);
        // The click is lost when the run has already ended: the button is disabled then.
        ASSERT_TRUE(session.WaitFor([&](const Screen& s) {
            return s.TopBox() != nullptr ||
                   (IsIdle(s) && Text(s, IDC_TOTAL) == Utf16(std::to_string(kFiles)) &&
                    Text(s, IDC_PROCESSED) == Utf16(std::to_string(kFiles)));
        }));
        if (session.Look().TopBox() != nullptr) {
            session.AnswerBox(u"キャンセルしてもよいですか？", IDYES);
            ++cancelled;
        }

        // Settled: idle, and either no walk result at all or a list of what was processed.
        ASSERT_TRUE(
            session.WaitFor([](const Screen& s) { return IsIdle(s) && s.TopBox() == nullptr; }));
        session.Ui().Settle();
        const Screen screen = session.Look();
        if (Number(screen, IDC_TOTAL) == 0) {
            EXPECT_FALSE(std::filesystem::exists(listPath)) << "round " << round;
            continue;
        }
        const std::string list = session.ListFile("Hashwick_tree.txt");
        EXPECT_EQ(Number(screen, IDC_TOTAL), kFiles);
        EXPECT_TRUE(
            list.starts_with("# " + folder.Path("tree") + "(" + std::to_string(kFiles) + ")\r\n"))
            << "round " << round;
        EXPECT_EQ(std::count(list.begin(), list.end(), '\t'), Number(screen, IDC_PROCESSED))
            << "round " << round;
    }
    EXPECT_GT(cancelled, 0) << "every run ended before its Cancel";
}

}  // namespace
