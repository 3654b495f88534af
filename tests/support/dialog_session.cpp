#include "support/dialog_session.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/path_text.h"
#include "support/texts.h"
#include "ui/resources.h"

DialogSession::DialogSession(std::vector<std::string> arguments,
                             const std::function<void(const ScratchFolder&)>& arrange,
                             const ScratchFolder* workingDirectory)
    : ownWorkingDirectory_(workingDirectory == nullptr ? std::make_unique<ScratchFolder>()
                                                       : nullptr),
      workingDirectory_(workingDirectory == nullptr ? *ownWorkingDirectory_ : *workingDirectory),
      arguments_(std::move(arguments)) {
    std::filesystem::current_path(workingDirectory_.Wide());
    if (arrange)
        arrange(workingDirectory_);
    arguments_.insert(arguments_.begin(), "hashwick");
    uiThread_ = std::thread([this] {
        std::vector<char*> argv;
        for (std::string& argument : arguments_)
            argv.push_back(argument.data());
        exitStatus_ =
            AfxWinMain(&HashwickResources(), static_cast<int>(argv.size()), argv.data(), backend_);
    });
}

DialogSession::~DialogSession() {
    if (!uiThread_.joinable())
        return;
    // A test that stopped half way: close the window, answering whatever box is open.
    backend_.WaitFor([](const auto& screen) { return screen.ended || !screen.controls.empty(); });
    while (!backend_.Look().ended) {
        if (backend_.Look().TopBox() != nullptr) {
            backend_.Answer(IDNO);
        } else {
            backend_.Close();
        }
        backend_.WaitFor([](const auto& screen) { return screen.ended; },
                         std::chrono::milliseconds(200));
    }
    uiThread_.join();
}

void DialogSession::AnswerBox(const std::u16string& text, int button) {
    const bool shown = WaitFor([&](const auto& screen) {
        return screen.TopBox() != nullptr && screen.TopBox()->text == text;
    });
    const ScriptedBackend::Screen screen = Look();
    ASSERT_TRUE(shown) << "expected the box \"" << *WideToNative(text) << "\", the top box is \""
                       << (screen.TopBox() != nullptr ? *WideToNative(screen.TopBox()->text) : "")
                       << "\"";
    backend_.Answer(button);
    // Until the box has gone, the next action would meet it.
    const std::size_t depth = screen.openBoxes.size();
    const std::size_t shownSoFar = screen.boxHistory.size();
    ASSERT_TRUE(WaitFor([&](const auto& now) {
        return now.openBoxes.size() < depth || now.boxHistory.size() > shownSoFar;
    }));
}

void DialogSession::StartRun(const std::string& folder) {
    ASSERT_TRUE(
        WaitFor([](const auto& screen) { return screen.shown && screen.TopBox() == nullptr; }));
    backend_.WillChooseFolder(NativeToWide(folder));
    backend_.Click(IDC_BROWSE);
    backend_.Click(IDC_START);
    AnswerBox(kStartQuestion, IDYES);
    // Until the start has been handled the screen still shows the last run's end.
    backend_.Settle();
}

bool DialogSession::WaitForIdleWith(int processed, int total) const {
    return WaitFor([&](const auto& screen) {
        return IsIdle(screen) && Text(screen, IDC_PROCESSED) == Utf16(std::to_string(processed)) &&
               Text(screen, IDC_TOTAL) == Utf16(std::to_string(total));
    });
}

int DialogSession::Finish() {
    uiThread_.join();
    return exitStatus_;
}

bool IsIdle(const ScriptedBackend::Screen& screen) {
    return screen.shown && screen.caption == kIdleCaption && screen.Of(IDC_START).enabled &&
           !screen.Of(IDC_CANCEL_RUN).enabled;
}

bool IsBusy(const ScriptedBackend::Screen& screen) {
    return screen.shown && screen.caption == kBusyCaption && !screen.Of(IDC_START).enabled &&
           screen.Of(IDC_CANCEL_RUN).enabled;
}

std::u16string Text(const ScriptedBackend::Screen& screen, int id) {
    return screen.Of(id).text;
}
