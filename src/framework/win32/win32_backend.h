// The backend for Windows: real dialogs, message boxes, the shell's folder browser and opener,
// and the wait cursor, all from the Win32 API. Keyboard and mouse input passes the application's
// PreTranslateMessage before the dialog manager sees it. What is posted to the framework's windows
// goes to the UI thread's framework queue, which keeps every message in order however many
// come; the dialog's real window is woken through its own message queue to handle them, through
// the same filter. The application's messages posted to the real window by other programs reach
// the dialog too, after the filter.
#pragma once

#include <atomic>
#include <memory>

#include "framework/backend.h"
#include "framework/message_pump.h"

class NativeDialog;
struct HWND__;

class Win32Backend final : public UiBackend {
  public:
    // On the thread that will run the dialogs.
    Win32Backend();
    ~Win32Backend() override;

    bool IsInteractive() const override { return true; }
    std::unique_ptr<DialogView> CreateView(CDialog& dialog,
                                           const DialogTemplate& resource) override;
    void RunModalLoop(CDialog& dialog) override;
    int MessageBox(const CString& text, const CString& caption, UINT type) override;
    void SetWaitCursor(bool on) override;
    INT_PTR OpenDocument(const CString& path) override;

    // For views: the real window to wake when something is posted, or null for none.
    void Attach(HWND__* window);
    // Handles what has been posted, at most once per display frame.
    void WokenUp(NativeDialog& window);

  private:
    std::shared_ptr<MessageQueue> queue_;
    std::atomic<HWND__*> wakeTarget_{nullptr};
    FramePacedDrain drain_;
};
