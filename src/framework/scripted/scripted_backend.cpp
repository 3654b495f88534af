#include "framework/scripted/scripted_backend.h"

#include <stdexcept>
#include <utility>

#include "framework/dialog.h"
#include "framework/message_pump.h"
#include "framework/shell.h"
#include "framework/window_handles.h"

class ScriptedBackend::View final : public DialogView {
  public:
    View(ScriptedBackend& backend, CDialog& dialog) : backend_(backend), dialog_(dialog) {
        backend_.view_ = this;
        {
            std::lock_guard lock(backend_.mutex_);
            backend_.queue_ = AfxGetThreadQueue();
        }
        Refresh();
    }

    ~View() override {
        backend_.view_ = nullptr;
        backend_.Update([](Screen& screen) { screen.shown = false; });
    }

    void Show() override {
        backend_.Update([](Screen& screen) { screen.shown = true; });
    }

    void WindowChanged(CWnd&) override { Refresh(); }

    void EndModalLoop() override {
        backend_.Update([](Screen& screen) { screen.ended = true; });
    }

    int MessageBox(const CString& text, const CString& caption, UINT type) override {
        return backend_.RunBox(text, caption, type);
    }

    std::optional<CString> BrowseForFolder(const CString& title) override {
        backend_.Update([&](Screen& screen) { screen.browseTitles.push_back(title); });
        return std::exchange(backend_.nextFolder_, std::nullopt);
    }

    bool IsMinimized() const override { return backend_.minimized_; }
    RECT ClientRect() const override { return backend_.client_; }

    void DrawIcon(int x, int y, HICON icon) override {
        backend_.Update([&](Screen& screen) { screen.drawnIcons.push_back({x, y, icon}); });
    }

    CDialog& Dialog() const { return dialog_; }

  private:
    void Refresh() {
        backend_.Update([this](Screen& screen) {
            screen.caption = dialog_.GetWindowText();
            screen.bigIcon = dialog_.GetIcon(TRUE);
            screen.smallIcon = dialog_.GetIcon(FALSE);
            for (const auto& control : dialog_.Controls()) {
                screen.controls[control->GetDlgCtrlID()] = {
                    control->m_hWnd, control->GetWindowText(), control->IsWindowEnabled() != FALSE};
            }
        });
    }

    ScriptedBackend& backend_;
    CDialog& dialog_;
};

ScriptedBackend::Screen ScriptedBackend::Look() const {
    std::lock_guard lock(mutex_);
    return screen_;
}

bool ScriptedBackend::WaitFor(const std::function<bool(const Screen&)>& condition,
                              std::chrono::milliseconds limit) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, limit, [&] { return condition(screen_); });
}

std::shared_ptr<MessageQueue> ScriptedBackend::Queue() const {
    std::lock_guard lock(mutex_);
    if (!queue_)
        throw std::logic_error("no dialog has been created yet");
    return queue_;
}

void ScriptedBackend::PostToControl(int id, UINT message, WPARAM wParam) {
    HWND window = nullptr;
    {
        std::lock_guard lock(mutex_);
        const auto found = screen_.controls.find(id);
        if (found == screen_.controls.end())
            throw std::logic_error("no such control");
        window = found->second.window;
    }
    PostMessageW(window, message, wParam, 0);
}

void ScriptedBackend::Click(int id) {
    PostToControl(id, WM_LBUTTONDOWN, MK_LBUTTON);
    PostToControl(id, WM_LBUTTONUP, 0);
}

void ScriptedBackend::Type(int id, const CString& text) {
    for (char16_t character : text)
        PostToControl(id, WM_CHAR, character);
}

void ScriptedBackend::PressKey(int id, WPARAM virtualKey) {
    PostToControl(id, WM_KEYDOWN, virtualKey);
    PostToControl(id, WM_CHAR, virtualKey);
    PostToControl(id, WM_KEYUP, virtualKey);
}

void ScriptedBackend::MoveMouse(int id, WPARAM keyFlags) {
    PostToControl(id, WM_MOUSEMOVE, keyFlags);
}

void ScriptedBackend::Answer(int button) {
    Queue()->PostInvoke([this, button] {
        std::size_t depth = 0;
        {
            std::lock_guard lock(mutex_);
            depth = screen_.openBoxes.size();
        }
        if (depth > 0)
            answers_[depth] = button;
    });
}

void ScriptedBackend::Close() {
    Queue()->PostInvoke([this] {
        if (view_ != nullptr && view_->Dialog().IsWindowEnabled())
            view_->Dialog().SendMessage(WM_CLOSE);
    });
}

void ScriptedBackend::Settle() {
    int settled = 0;
    {
        std::lock_guard lock(mutex_);
        settled = screen_.settled;
    }
    Queue()->PostInvoke([this] { Update([](Screen& screen) { ++screen.settled; }); });
    WaitFor([settled](const Screen& screen) { return screen.settled > settled; });
}

void ScriptedBackend::WillChooseFolder(std::optional<CString> folder) {
    Queue()->PostInvoke([this, folder] { nextFolder_ = folder; });
}

void ScriptedBackend::SetMinimized(bool minimized) {
    Queue()->PostInvoke([this, minimized] { minimized_ = minimized; });
}

void ScriptedBackend::SetClientSize(int width, int height) {
    Queue()->PostInvoke([this, width, height] { client_ = RECT{0, 0, width, height}; });
}

void ScriptedBackend::Paint() {
    Queue()->PostInvoke([this] {
        if (view_ != nullptr)
            view_->Dialog().SendMessage(WM_PAINT);
    });
}

std::unique_ptr<DialogView> ScriptedBackend::CreateView(CDialog& dialog, const DialogTemplate&) {
    return std::make_unique<View>(*this, dialog);
}

void ScriptedBackend::RunModalLoop(CDialog& dialog) {
    AfxRunQueueModalLoop(dialog, false);
}

int ScriptedBackend::RunBox(const CString& text, const CString& caption, UINT type) {
    std::size_t depth = 0;
    Update([&](Screen& screen) {
        screen.openBoxes.push_back({text, caption, type});
        screen.boxHistory.push_back({text, caption, type});
        depth = screen.openBoxes.size();
    });
    // The box's own loop: messages go on being handled until this box is answered.
    const std::shared_ptr<MessageQueue> queue = AfxGetThreadQueue();
    while (!answers_.contains(depth)) {
        QueuedItem item = queue->Get();
        AfxPumpItem(item);
    }
    const int answer = answers_[depth];
    answers_.erase(depth);
    Update([](Screen& screen) { screen.openBoxes.pop_back(); });
    return answer;
}

int ScriptedBackend::MessageBox(const CString& text, const CString& caption, UINT type) {
    return RunBox(text, caption, type);
}

void ScriptedBackend::SetWaitCursor(bool on) {
    Update([on](Screen& screen) { screen.waitCursor = on; });
}

INT_PTR ScriptedBackend::OpenDocument(const CString& path) {
    Update([&](Screen& screen) { screen.openedDocuments.push_back(path); });
    return SE_REQUEST_MADE;
}
