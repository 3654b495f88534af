#include "framework/win32/win32_backend.h"

#include "framework/dialog.h"
#include "framework/message_pump.h"
#include "framework/shell.h"
#include "framework/win32/native_dialog.h"
#include "framework/win32/native_shell.h"
#include "framework/win32/wait_cursor.h"
#include "framework/win32/win32_view.h"

Win32Backend::Win32Backend() : queue_(AfxGetThreadQueue()), drain_(*queue_) {
    // Called on the posting thread: one real message per batch of posts, however long the batch.
    // Windows' own queue holds 10,000 posted messages and drops the rest, and a run posts one
    // count per file.
    queue_->SetArrivalHandler([this] { NativeDialog::WakeUp(wakeTarget_.load()); });
}

Win32Backend::~Win32Backend() {
    queue_->SetArrivalHandler(nullptr);
}

void Win32Backend::Attach(HWND__* window) {
    wakeTarget_.store(window);
    // What was posted while no window was there to be woken.
    if (window != nullptr)
        NativeDialog::WakeUp(window);
}

void Win32Backend::WokenUp(NativeDialog& window) {
    if (const auto frameLeft = drain_.DrainOrWait(); frameLeft.count() > 0)
        window.WakeUpAfter(frameLeft);
}

std::unique_ptr<DialogView> Win32Backend::CreateView(CDialog& dialog,
                                                     const DialogTemplate& resource) {
    return std::make_unique<Win32View>(*this, dialog, resource);
}

void Win32Backend::RunModalLoop(CDialog& dialog) {
    static_cast<Win32View*>(dialog.View())->RunLoop();
}

int Win32Backend::MessageBox(const CString& text, const CString& caption, UINT type) {
    return ShowMessageBox(nullptr, text, caption, type);
}

void Win32Backend::SetWaitCursor(bool on) {
    ShowWaitCursor(on);
}

INT_PTR Win32Backend::OpenDocument(const CString& path) {
    // An empty name names no file: the shell is not asked, and nothing has failed.
    if (path.empty())
        return SE_REQUEST_MADE;
    return OpenWithDefaultHandler(path);
}
