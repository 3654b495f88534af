// The backend for tests. The dialog runs its modal loop on a UI thread of its own; the test's
// thread is the user: it looks at the screen, clicks, types, answers boxes and closes the window.
// Every action reaches the UI thread as input through its queue, as a user's would.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>

#include "framework/backend.h"
#include "framework/message_queue.h"

class ScriptedBackend final : public UiBackend {
  public:
    struct Box {
        CString text;
        CString caption;
        UINT type = 0;
    };
    struct Control {
        HWND window = nullptr;
        CString text;
        bool enabled = true;
    };
    struct IconDrawing {
        int x = 0;
        int y = 0;
        HICON icon = nullptr;
    };
    // What the user can see, and what the dialog asked of the desktop.
    struct Screen {
        bool shown = false;
        bool ended = false;
        CString caption;
        std::map<int, Control> controls;
        std::vector<Box> openBoxes;  // the topmost last
        std::vector<Box> boxHistory;
        bool waitCursor = false;
        std::vector<CString> browseTitles;
        std::vector<CString> openedDocuments;
        std::vector<IconDrawing> drawnIcons;
        HICON bigIcon = nullptr;
        HICON smallIcon = nullptr;
        int settled = 0;  // Settle calls handled

        const Control& Of(int id) const { return controls.at(id); }
        const Box* TopBox() const { return openBoxes.empty() ? nullptr : &openBoxes.back(); }
    };

    Screen Look() const;
    // Waits until the condition holds on the screen; false when the time runs out first.
    bool WaitFor(const std::function<bool(const Screen&)>& condition,
                 std::chrono::milliseconds limit = std::chrono::seconds(120)) const;

    // User input. Input to a disabled control, or to the dialog while a box is open, is lost,
    // as it would be on a screen.
    void Click(int id);
    void Type(int id, const CString& text);
    void PressKey(int id, WPARAM virtualKey);
    void MoveMouse(int id, WPARAM keyFlags);
    void Answer(int button);  // the topmost open box
    void Close();             // the window's close command

    // Returns once everything queued for the dialog before the call has been handled.
    void Settle();

    // The answer of the next folder chooser: a folder, or nothing to cancel it.
    void WillChooseFolder(std::optional<CString> folder);
    void SetMinimized(bool minimized);
    void SetClientSize(int width, int height);
    void Paint();

    // UiBackend
    bool IsInteractive() const override { return true; }
    std::unique_ptr<DialogView> CreateView(CDialog& dialog,
                                           const DialogTemplate& resource) override;
    void RunModalLoop(CDialog& dialog) override;
    int MessageBox(const CString& text, const CString& caption, UINT type) override;
    void SetWaitCursor(bool on) override;
    // Records the path; the request counts as made.
    INT_PTR OpenDocument(const CString& path) override;

  private:
    class View;

    template <class Change>
    void Update(Change change) {
        {
            std::lock_guard lock(mutex_);
            change(screen_);
        }
        changed_.notify_all();
    }
    std::shared_ptr<MessageQueue> Queue() const;
    void PostToControl(int id, UINT message, WPARAM wParam);
    int RunBox(const CString& text, const CString& caption, UINT type);

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    Screen screen_;
    std::shared_ptr<MessageQueue> queue_;
    View* view_ = nullptr;  // UI thread only
    // UI thread only: the answers given to open boxes, by their depth.
    std::map<std::size_t, int> answers_;
    std::optional<CString> nextFolder_;
    bool minimized_ = false;
    RECT client_{0, 0, 200, 100};
};
