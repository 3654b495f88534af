#include "framework/console_backend.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

#include "console/console_status.h"
#include "console/reading_speed.h"
#include "framework/dialog.h"
#include "framework/message_pump.h"
#include "framework/shell.h"
#include "framework/win_app.h"
#include "platform/read_meter.h"

namespace {

// Only Yes proceeds after a question, and no one can answer one here: the answer is No.
int WriteBox(const CString& text, const CString& caption, UINT type) {
    WriteErrorLine(caption + u": " + text);
    return (type & MB_TYPEMASK) == MB_YESNO ? IDNO : IDOK;
}

// The signal is the main window's close command; whoever stopped the run learns why there is no
// list.
void CloseMainWindow(const std::u16string& signalName) {
    CWinApp* app = AfxGetApp();
    CWnd* window = app != nullptr ? app->m_pMainWnd : nullptr;
    if (window == nullptr || !window->IsWindowEnabled())
        return;
    window->MessageBox(StoppedBySignalText(signalName).c_str(), nullptr, MB_OK | MB_ICONERROR);
    window->SendMessage(WM_CLOSE);
}

// Asks the UI thread twice a second to redraw the status line, so that the speed stays current
// while one long file leaves the counts as they are. The requests reach the view only while it
// lives: the view gives up its handle before the ticker's last request may be pumped.
class RedrawTicker {
  public:
    RedrawTicker(std::shared_ptr<MessageQueue> queue, std::weak_ptr<std::function<void()>> redraw)
        : thread_([this, queue = std::move(queue), redraw = std::move(redraw)] {
              std::unique_lock lock(mutex_);
              while (
                  !wake_.wait_for(lock, std::chrono::milliseconds(500), [this] { return ended_; }))
                  queue->PostInvoke([redraw] {
                      if (const auto draw = redraw.lock())
                          (*draw)();
                  });
          }) {}

    ~RedrawTicker() {
        {
            const std::lock_guard lock(mutex_);
            ended_ = true;
        }
        wake_.notify_one();
        thread_.join();
    }

  private:
    std::mutex mutex_;
    std::condition_variable wake_;
    bool ended_ = false;
    std::thread thread_;
};

// The status line: the caption, then the texts of the read-only fields and labels from left
// to right ("123 / 456"), then the reading's speed and time left.
class ConsoleView final : public DialogView {
  public:
    explicit ConsoleView(CDialog& dialog) : dialog_(dialog) {}

    ~ConsoleView() override {
        ticker_.reset();
        redraw_.reset();
        if (!shown_)
            return;
        Draw();
        status_.Finish();
    }

    void Show() override {
        shown_ = true;
        Draw();
        if (status_.IsTerminal()) {
            redraw_ = std::make_shared<std::function<void()>>([this] {
                if (status_.Due())
                    Draw();
            });
            try {
                ticker_ = std::make_unique<RedrawTicker>(AfxGetThreadQueue(), redraw_);
            } catch (const std::system_error&) {
                // Without a thread to spare the line is redrawn only as the counts change.
            }
        }
    }

    void WindowChanged(CWnd&) override {
        if (!shown_ || !status_.Due())
            return;
        Draw();
    }

    void EndModalLoop() override {}

    int MessageBox(const CString& text, const CString& caption, UINT type) override {
        status_.Clear();
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
        CString line = dialog_.GetWindowText();
        for (const CWnd* field : fields)
            line += u" " + field->GetWindowText();
        status_.Draw(line + ReadingSpeedText(ReadMeterNow()));
    }

    CDialog& dialog_;
    ConsoleStatusLine status_;
    bool shown_ = false;
    std::shared_ptr<std::function<void()>> redraw_;
    std::unique_ptr<RedrawTicker> ticker_;
};

}  // namespace

ConsoleBackend::ConsoleBackend()
    : queue_(AfxGetThreadQueue()), stopSignals_([queue = queue_](const std::u16string& name) {
          queue->PostInvoke([name] { CloseMainWindow(name); });
      }) {}

ConsoleBackend::~ConsoleBackend() = default;

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
