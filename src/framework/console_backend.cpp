#include "framework/console_backend.h"

#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "framework/dialog.h"
#include "framework/message_pump.h"
#include "framework/shell.h"
#include "framework/win_app.h"
#include "platform/path_text.h"

namespace {

std::string Text(const CString& text) {
    return WideToNative(text).value_or("?");
}

// Only Yes proceeds after a question, and no one can answer one here: the answer is No.
int WriteBox(const CString& text, const CString& caption, UINT type) {
    std::fprintf(stderr, "%s: %s\n", Text(caption).c_str(), Text(text).c_str());
    std::fflush(stderr);
    return (type & MB_TYPEMASK) == MB_YESNO ? IDNO : IDOK;
}

sigset_t CloseSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    return signals;
}

// The status line: the caption, then the texts of the read-only fields and labels from left
// to right ("123 / 456").
class ConsoleView final : public DialogView {
  public:
    explicit ConsoleView(CDialog& dialog)
        : dialog_(dialog), terminal_(isatty(STDERR_FILENO) == 1) {}

    ~ConsoleView() override {
        if (!shown_)
            return;
        Draw();
        if (terminal_)
            std::fputs("\n", stderr);
    }

    void Show() override {
        shown_ = true;
        Draw();
    }

    void WindowChanged(CWnd&) override {
        if (!shown_)
            return;
        const auto now = std::chrono::steady_clock::now();
        if (now - lastDraw_ < std::chrono::milliseconds(100))
            return;
        Draw();
    }

    void EndModalLoop() override {}

    int MessageBox(const CString& text, const CString& caption, UINT type) override {
        if (terminal_ && shown_)
            std::fputs("\r\x1b[K", stderr);
        const int answer = WriteBox(text, caption, type);
        if (shown_)
            Draw();
        return answer;
    }

    std::optional<CString> BrowseForFolder(const CString&) override { return std::nullopt; }
    bool IsMinimized() const override { return false; }
    RECT ClientRect() const override { return {}; }
    void DrawIcon(int, int, HICON) override {}

  private:
    void Draw() {
        lastDraw_ = std::chrono::steady_clock::now();
        if (!terminal_)
            return;
        std::vector<const CWnd*> fields;
        for (const auto& control : dialog_.Controls()) {
            const bool label = control->GetControlClass() == ControlClass::Static;
            const bool readOnly = control->GetControlClass() == ControlClass::Edit &&
                                  (control->GetStyle() & ES_READONLY) != 0;
            if (label || readOnly)
                fields.push_back(control.get());
        }
        std::stable_sort(fields.begin(), fields.end(), [](const CWnd* a, const CWnd* b) {
            return a->TemplateRect().left < b->TemplateRect().left;
        });
        std::string line = Text(dialog_.GetWindowText());
        for (const CWnd* field : fields) {
            line.push_back(' ');
            line += Text(field->GetWindowText());
        }
        std::fprintf(stderr, "\r%s\x1b[K", line.c_str());
        std::fflush(stderr);
    }

    CDialog& dialog_;
    const bool terminal_;
    bool shown_ = false;
    std::chrono::steady_clock::time_point lastDraw_;
};

}  // namespace

ConsoleBackend::ConsoleBackend() : queue_(AfxGetThreadQueue()) {
    const sigset_t signals = CloseSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    signals_ = signalfd(-1, &signals, SFD_CLOEXEC);
    wake_ = eventfd(0, EFD_CLOEXEC);
    signalWatcher_ = std::thread(&ConsoleBackend::WatchSignals, this);
}

ConsoleBackend::~ConsoleBackend() {
    const std::uint64_t one = 1;
    if (write(wake_, &one, sizeof one) != sizeof one)
        std::abort();
    signalWatcher_.join();
    close(signals_);
    close(wake_);
}

void ConsoleBackend::WatchSignals() {
    for (;;) {
        pollfd ready[2] = {{signals_, POLLIN, 0}, {wake_, POLLIN, 0}};
        if (poll(ready, 2, -1) < 0 || (ready[1].revents & POLLIN) != 0)
            return;
        signalfd_siginfo received{};
        if (read(signals_, &received, sizeof received) != sizeof received)
            continue;
        const auto signal = static_cast<int>(received.ssi_signo);
        queue_->PostInvoke([signal] {
            CWinApp* app = AfxGetApp();
            CWnd* window = app != nullptr ? app->m_pMainWnd : nullptr;
            if (window == nullptr || !window->IsWindowEnabled())
                return;
            // Whoever stopped the run learns why there is no list.
            const std::string name = sigabbrev_np(signal) != nullptr ? sigabbrev_np(signal) : "";
            const CString text =
                u"シグナル SIG" + NativeToWide(name) + u" を受けたため中断しました。";
            window->MessageBox(text.c_str(), nullptr, MB_OK | MB_ICONERROR);
            window->SendMessage(WM_CLOSE);
        });
    }
}

std::unique_ptr<DialogView> ConsoleBackend::CreateView(CDialog& dialog, const DialogTemplate&) {
    return std::make_unique<ConsoleView>(dialog);
}

void ConsoleBackend::RunModalLoop(CDialog& dialog) {
    AfxRunQueueModalLoop(dialog, true);
}

int ConsoleBackend::MessageBox(const CString& text, const CString& caption, UINT type) {
    return WriteBox(text, caption, type);
}

INT_PTR ConsoleBackend::OpenDocument(const CString&) {
    return SE_ERR_NOASSOC;
}
