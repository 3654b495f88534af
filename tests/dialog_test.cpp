#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/resource.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <fstream>

#include "digest/worker.h"
#include "platform/path_text.h"
#include "support/dialog_session.h"
#include "support/processes.h"
#include "support/texts.h"
#ifdef _WIN32
#include "support/windows_files.h"
#endif

namespace {

using Screen = ScriptedBackend::Screen;

// A user's session: the dialog opens idle, asks before it starts, refuses what is no folder, runs
// to completion, shows the result, and a second run covers only itself.
TEST(MainDialog, AUserSessionFromOpeningToExit) {
    ScratchFolder folder;
    folder.WriteFile("file.txt", "abc");
    folder.WriteFile("first/a.txt", "abc");
    folder.WriteFile("first/sub/b", "a");
#ifdef _WIN32
    // A file held open without sharing cannot be read, as a FIFO on Linux.
    folder.WriteFile("first/pipe", "");
    const FileHeldOpen held(folder.Wide("first/pipe"));
#else
    folder.MakeFifo("first/pipe");
#endif
    folder.WriteFile("second/only", "");
    DialogSession session;
    ASSERT_TRUE(session.WaitFor([](const Screen& screen) { return screen.shown; }));
    Screen screen = session.Look();
    EXPECT_TRUE(IsIdle(screen));
    EXPECT_EQ(Text(screen, IDC_FOLDER) + Text(screen, IDC_PROCESSED) + Text(screen, IDC_TOTAL),
              u"00");
    EXPECT_TRUE(screen.Of(IDC_BROWSE).enabled && screen.Of(IDC_SHOW_RESULT).enabled &&
                screen.Of(IDC_EXIT).enabled);
    EXPECT_NE(screen.bigIcon, nullptr);
    EXPECT_EQ(screen.bigIcon, screen.smallIcon);

    // The question is asked under the wait cursor; No leaves everything as it was.
    session.Ui().Click(IDC_START);
    ASSERT_TRUE(session.WaitFor([](const Screen& s) { return s.TopBox() != nullptr; }));
    screen = session.Look();
    EXPECT_EQ(screen.TopBox()->caption, u"確認");
    EXPECT_EQ(screen.TopBox()->type, 36u) << "Yes and No with the question icon";
    EXPECT_TRUE(screen.waitCursor);
    session.AnswerBox(kStartQuestion, IDNO);
    ASSERT_TRUE(
        session.WaitFor([](const Screen& s) { return s.TopBox() == nullptr && !s.waitCursor; }));
    EXPECT_TRUE(IsIdle(session.Look()));

    // An empty field, a missing path and a file are refused with an OK box of no icon.
    for (const std::string& path :
         {std::string(), folder.Path("missing"), folder.Path("file.txt")}) {
        session.StartRun(path);
        session.AnswerBox(kNoSuchFolder, IDOK);
        const ScriptedBackend::Box refusal = session.Look().boxHistory.back();
        EXPECT_EQ(refusal.type, MB_OK);
        EXPECT_EQ(refusal.caption, u"Hashwick");
        EXPECT_TRUE(IsIdle(session.Look()));
    }
    EXPECT_TRUE(std::filesystem::is_empty(session.WorkingDirectory().Root()));

    session.StartRun(folder.Path("first"));
    ASSERT_TRUE(session.WaitForIdleWith(3, 3));
    EXPECT_TRUE(session.ListFile("Hashwick_first.txt")
                    .starts_with(ListHead(folder.Path("first") + "(3)",
                                          {folder.Path("first/a.txt") + "\t" + kAbc,
                                           folder.Path("first/sub/b") + "\t" + kA},
                                          {folder.Path("first/pipe")}) +
                                 kWalk));
    session.Ui().Click(IDC_SHOW_RESULT);
    ASSERT_TRUE(session.WaitFor([](const Screen& s) { return s.openedDocuments.size() == 1; }));
    EXPECT_EQ(session.Look().openedDocuments[0], u"Hashwick_first.txt");

    // A trailing separator in the field changes nothing.
    session.StartRun(folder.Path("second") + "/");
    ASSERT_TRUE(session.WaitForIdleWith(1, 1));
    EXPECT_TRUE(session.ListFile("Hashwick_second.txt")
                    .starts_with(ListHead(folder.Path("second") + "(1)",
                                          {folder.Path("second/only") + "\t" + kEmpty}) +
                                 kWalk))
        << "the tables were emptied";

    // A refused start after a run shows 0 / 0.
    session.StartRun(folder.Path("missing"));
    session.AnswerBox(kNoSuchFolder, IDOK);
    ASSERT_TRUE(session.WaitForIdleWith(0, 0));
    session.Ui().Click(IDC_EXIT);
    session.AnswerBox(kExitQuestion, IDYES);
    EXPECT_EQ(session.Finish(), kExitListWritten);
}

TEST(MainDialog, CancelExitAndCloseStopTheRun) {
    ScratchFolder folder;
    const std::string slow = folder.MakeSlowWalk(400);
    {
        // Cancel during the walk: no list, 0 / 0, start enabled again; then Exit during a run.
        DialogSession session;
        session.StartRun(slow);
        ASSERT_TRUE(session.WaitFor(IsBusy));
        session.Ui().Click(IDC_CANCEL_RUN);
        session.AnswerBox(kCancelQuestion, IDYES);
        session.Ui().Settle();
        EXPECT_TRUE(session.WaitForIdleWith(0, 0));
        session.StartRun(slow);
        ASSERT_TRUE(session.WaitFor(IsBusy));
        session.Ui().Click(IDC_EXIT);
        session.AnswerBox(kExitQuestion, IDYES);
        EXPECT_EQ(session.Finish(), kExitListWritten);
        EXPECT_TRUE(std::filesystem::is_empty(session.WorkingDirectory().Root()));
    }
    {
        // The close box during a run: the worker is stopped and awaited before the tables go.
        DialogSession session;
        session.StartRun(slow);
        ASSERT_TRUE(session.WaitFor(IsBusy));
        session.Ui().Close();
        EXPECT_EQ(session.Finish(), kExitListWritten);
        EXPECT_TRUE(std::filesystem::is_empty(session.WorkingDirectory().Root()));
    }
}

TEST(MainDialog, AutomaticModeRunsUnattendedOrFallsBackToManual) {
    ScratchFolder folder;
    folder.WriteFile("auto/one", "a");
    {
        DialogSession session({folder.Path("auto"), "ignored"});
        EXPECT_EQ(session.Finish(), kExitListWritten);
        EXPECT_TRUE(session.Look().boxHistory.empty()) << "no question in automatic mode";
        EXPECT_EQ(session.ListFile("Hashwick_auto.txt").substr(0, 2), "# ");
    }
    {
        // The refusal comes before the window is shown; the dialog then stays for a user.
        DialogSession session({""});
        ASSERT_TRUE(session.WaitFor([](const Screen& s) { return s.TopBox() != nullptr; }));
        EXPECT_FALSE(session.Look().shown);
        session.AnswerBox(kNoSuchFolder, IDOK);
        ASSERT_TRUE(session.WaitFor([](const Screen& s) { return s.shown && IsIdle(s); }));
        session.Ui().Close();
        EXPECT_EQ(session.Finish(), kExitListWritten);
    }
}

TEST(MainDialog, CompletionWhileAQuestionIsOpen) {
    ScratchFolder folder;
    // Hashing that takes a while: large files without data blocks.
    for (int i = 0; i < 24; ++i)
        folder.MakeSparse("big/f" + std::to_string(100 + i), 16 << 20);
    const std::string big = folder.Path("big");
    {
        DialogSession session;
        session.StartRun(big);
        ASSERT_TRUE(session.WaitFor(IsBusy));
        // A browse during the run changes the folder for the next run only.
        session.Ui().WillChooseFolder(u"/elsewhere");
        session.Ui().Click(IDC_BROWSE);
        session.Ui().Click(IDC_CANCEL_RUN);
        ASSERT_TRUE(session.WaitFor([](const Screen& s) { return s.TopBox() != nullptr; }));
        EXPECT_EQ(Text(session.Look(), IDC_FOLDER), u"/elsewhere");
        // The run completes behind the box; Yes afterwards does no harm.
        ASSERT_TRUE(session.WaitFor([](const Screen& s) { return s.caption == kIdleCaption; }));
        EXPECT_TRUE(session.ListFile("Hashwick_big.txt").starts_with("# " + big + "(24)\r\n"));
        session.AnswerBox(kCancelQuestion, IDYES);
        ASSERT_TRUE(session.WaitForIdleWith(24, 24));
    }
    {
        // In automatic mode the dialog ends when the question returns, whatever the answer.
        DialogSession session({big});
        ASSERT_TRUE(session.WaitFor(IsBusy));
        session.Ui().Click(IDC_EXIT);
        ASSERT_TRUE(session.WaitFor([](const Screen& s) { return s.TopBox() != nullptr; }));
        ASSERT_TRUE(session.WaitFor([](const Screen& s) { return s.ended; }));
        session.AnswerBox(kExitQuestion, IDNO);
        EXPECT_EQ(session.Finish(), kExitListWritten);
    }
}

// Counts of 13 and 27 reach the dialog; the Enter and Escape keys do not, in any control.
TEST(MainDialog, CountsPassTheFilterWhileEnterAndEscapeAreSwallowed) {
    ScratchFolder folder;
    for (int i = 0; i < 27; ++i)
        folder.WriteFile("many/f" + std::to_string(i), std::to_string(i));
    DialogSession session;
    ASSERT_TRUE(session.WaitFor([](const Screen& s) { return s.shown; }));
    session.Ui().Type(IDC_FOLDER, NativeToWide(folder.Path("many")));
    for (int id : {IDC_FOLDER, IDC_START, IDC_EXIT, IDC_BROWSE}) {
        session.Ui().PressKey(id, VK_RETURN);
        session.Ui().PressKey(id, VK_ESCAPE);
    }
    session.Ui().MoveMouse(IDC_FOLDER, MK_LBUTTON | MK_SHIFT | MK_CONTROL);
    session.Ui().Click(IDC_START);
    session.AnswerBox(kStartQuestion, IDYES);
    ASSERT_TRUE(session.WaitForIdleWith(27, 27));
    EXPECT_EQ(Text(session.Look(), IDC_FOLDER), NativeToWide(folder.Path("many")));
    EXPECT_FALSE(session.Look().ended);
    EXPECT_EQ(session.Look().boxHistory.size(), 1u);
}

TEST(MainDialog, BrowsePaintAndShowResult) {
    ScratchFolder folder;
    DialogSession session;
    ASSERT_TRUE(session.WaitFor([](const Screen& s) { return s.shown; }));
    session.Ui().Click(IDC_SHOW_RESULT);
    ASSERT_TRUE(session.WaitFor([](const Screen& s) { return s.openedDocuments.size() == 1; }));
    EXPECT_EQ(session.Look().openedDocuments[0], u"") << "asked to open an empty name";

    session.Ui().WillChooseFolder(folder.Wide());
    session.Ui().Click(IDC_BROWSE);
    ASSERT_TRUE(
        session.WaitFor([&](const Screen& s) { return Text(s, IDC_FOLDER) == folder.Wide(); }));
    EXPECT_EQ(session.Look().browseTitles.at(0), u"ディレクトリを指定してください");
    // On Windows a path of 260 characters leaves no room for its NUL in a buffer of MAX_PATH: the
    // field is emptied. On Linux it is taken.
    const std::u16string longPath(260, u'd');
    session.Ui().WillChooseFolder(longPath);
    session.Ui().Click(IDC_BROWSE);
    session.Ui().Settle();
    EXPECT_EQ(Text(session.Look(), IDC_FOLDER), kPathSeparator == u'\\' ? u"" : longPath);
    session.Ui().WillChooseFolder(std::nullopt);
    session.Ui().Click(IDC_BROWSE);
    ASSERT_TRUE(session.WaitFor([](const Screen& s) { return Text(s, IDC_FOLDER).empty(); }));

    // Minimised, the icon is drawn in the middle of the client area.
    session.Ui().SetMinimized(true);
    session.Ui().SetClientSize(101, 60);
    session.Ui().Paint();
    ASSERT_TRUE(session.WaitFor([](const Screen& s) { return s.drawnIcons.size() == 1; }));
    const ScriptedBackend::IconDrawing drawn = session.Look().drawnIcons[0];
    EXPECT_EQ(drawn.x, 35);
    EXPECT_EQ(drawn.y, 14);
    EXPECT_EQ(drawn.icon, session.Look().bigIcon);
}

TEST(MainDialog, AListThatCannotBeWrittenIsReportedAndFailsTheAutomaticRun) {
    ScratchFolder folder;
    folder.WriteFile("blocked/x", "x");
    DialogSession session({folder.Path("blocked")}, [](const ScratchFolder& workingDirectory) {
        workingDirectory.MakeFolder("Hashwick_blocked.txt");
    });
    ASSERT_TRUE(session.WaitFor([](const Screen& s) { return s.TopBox() != nullptr; }));
    EXPECT_TRUE(IsIdle(session.Look())) << "the box comes after the dialog is idle again";
    EXPECT_EQ(session.Look().TopBox()->type, MB_OK | MB_ICONERROR);
    session.AnswerBox(
        u"リストファイルを書き込めませんでした。\nHashwick_blocked."
        u"txt\n同じ名前のフォルダがあります。",
        IDOK);
    EXPECT_EQ(session.Finish(), kExitListNotWritten);
}

#ifndef _WIN32
// With no thread to be had, the start is reported and the dialog stays usable.
TEST(MainDialog, AWorkerThatCannotBeCreatedIsReported) {
    ScratchFolder folder;
    folder.WriteFile("x/y", "y");
    folder.SetMode(".", 0777);
    const std::string outcome = RunUnprivileged([&] {
        DialogSession session({}, {}, &folder);
        session.WaitFor([](const Screen& s) { return s.shown; });
        const rlimit none{1, 1};
        setrlimit(RLIMIT_NPROC, &none);
        session.StartRun(folder.Path("x"));
        session.WaitFor([](const Screen& s) { return s.TopBox() != nullptr; });
        std::string seen = *WideToNative(session.Look().TopBox()->text);
        seen += IsIdle(session.Look()) ? " idle" : " busy";
        session.Ui().Answer(IDOK);
        session.Ui().Close();
        session.Finish();
        return seen;
    });
    EXPECT_EQ(outcome, "作業スレッドを開始できませんでした。 idle");
}

// A run that runs out of memory ends with an error box; no list is written, the earlier one stays,
// and an automatic run fails.
TEST(MainDialog, LackOfMemoryIsReportedAndKeepsTheEarlierList) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "a sanitizer's shadow memory does not fit below a limit of the address space";
#endif
    ScratchFolder folder;
    const std::string hungry = folder.MakeMemoryHungryWalk(20'000);
    folder.WriteFile("Hashwick_hungry.txt", "earlier list");
    const std::string outcome = RunInChildProcess([&] {
        // The process may have 64 MB more than it has when the dialog shows.
        DialogSession session({}, {}, &folder);
        session.WaitFor([](const Screen& s) { return s.shown; });
        std::ifstream statm("/proc/self/statm");
        rlim_t pages = 0;
        statm >> pages;
        const rlim_t limit = pages * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + (64 << 20);
        const rlimit memory{limit, limit};
        setrlimit(RLIMIT_AS, &memory);
        session.StartRun(hungry);
        session.WaitFor([](const Screen& s) { return s.TopBox() != nullptr; });
        const ScriptedBackend::Box box = *session.Look().TopBox();
        std::string seen = *WideToNative(box.text);
        seen += box.type == (MB_OK | MB_ICONERROR) ? " error" : " ?";
        seen += IsIdle(session.Look()) ? " idle" : " busy";
        session.Ui().Answer(IDOK);
        session.Ui().Close();
        session.Finish();
        return seen;
    });
    EXPECT_EQ(outcome, "リストファイルを書き込めませんでした。\nメモリが足りません。 error idle");
    EXPECT_EQ(folder.ReadFile("Hashwick_hungry.txt"), "earlier list");
}
#endif

}  // namespace
