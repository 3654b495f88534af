#include "framework/console_backend.h"

#include <algorithm>

#include "console/console_status.h"
#include "framework/dialog.h"
#include "framework/message_pump.h"
#include "framework/shell.h"
#include "framework/win_app.h"

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

// The status line: the caption, then the texts of the read-only fields and labels from left
// to right ("123 / 456").
class ConsoleView final : public DialogView {
  public:
    explicit ConsoleView(CDialog& dialog) : dialog_(dialog) {}

    ~ConsoleView() override {
        if (!shown_)
            return;
        Draw();
        status_.Finish();
    }

    void Show() override {
        shown_ = true;
        Draw();
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
        status_.Draw(line);
    }

    CDialog& dialog_;
    ConsoleStatusLine status_;
    bool shown_ = false;
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
