#include "framework/win32/win32_view.h"

#include <algorithm>
#include <utility>

#include "framework/dialog.h"
#include "framework/message_pump.h"
#include "framework/shell.h"
#include "framework/win32/dialog_template.h"
#include "framework/win32/native_shell.h"
#include "framework/win32/win32_backend.h"
#include "framework/win_app.h"

Win32View::Win32View(Win32Backend& backend, CDialog& dialog, const DialogTemplate& resource)
    : backend_(backend), dialog_(dialog), window_(BuildDialogTemplate(resource), *this) {
    backend_.Attach(window_.Handle());
}

Win32View::~Win32View() {
    backend_.Attach(nullptr);
}

CWnd* Win32View::WindowOf(int id) const {
    return id == kDialogItself ? &dialog_ : dialog_.GetDlgItem(id);
}

void Win32View::Show() {
    window_.Show();
}

void Win32View::WindowChanged(CWnd& window) {
    if (&window == &dialog_) {
        // The dialog's own enabled state is the framework's business: Windows disables the
        // owner of a message box by itself.
        window_.SetCaption(dialog_.GetWindowText());
        if (HICON icon = dialog_.GetIcon(TRUE))
            window_.SetIcon(IconResourceId(icon));
        window_.AcceptFiles(dialog_.AcceptsFiles());
        return;
    }
    // Enabled states at once, so that no click reaches a button the dialog has disabled.
    window_.EnableControl(window.GetDlgCtrlID(), window.IsWindowEnabled() != FALSE);
    if (std::find(changedTexts_.begin(), changedTexts_.end(), &window) != changedTexts_.end())
        return;
    if (changedTexts_.empty())
        window_.ShowTextsSoon();
    changedTexts_.push_back(&window);
}

void Win32View::ShowTexts() {
    for (const CWnd* window : std::exchange(changedTexts_, {}))
        window_.SetControlText(window->GetDlgCtrlID(), window->GetWindowText());
    window_.FitReadOnlyFields();
}

void Win32View::EndModalLoop() {
    window_.EndModalLoop();
}

void Win32View::RunLoop() {
    window_.RunModalLoop();
}

int Win32View::MessageBox(const CString& text, const CString& caption, UINT type) {
    return ShowMessageBox(window_.Handle(), text, caption, type);
}

std::optional<CString> Win32View::BrowseForFolder(const CString& title) {
    return ChooseFolder(window_.Handle(), title);
}

bool Win32View::IsMinimized() const {
    return window_.IsMinimized();
}

RECT Win32View::ClientRect() const {
    return RECT{0, 0, window_.ClientWidth(), window_.ClientHeight()};
}

void Win32View::DrawIcon(int x, int y, HICON icon) {
    window_.DrawIcon(x, y, IconResourceId(icon));
}

bool Win32View::PreTranslate(int id, unsigned message, std::uintptr_t wParam,
                             std::intptr_t lParam) {
    CWinApp* app = AfxGetApp();
    const CWnd* window = WindowOf(id);
    if (app == nullptr || window == nullptr)
        return false;
    MSG translated{window->m_hWnd, message, wParam, lParam};
    return app->PreTranslateMessage(&translated) != FALSE;
}

void Win32View::Clicked(int id) {
    const CWnd* control = dialog_.GetDlgItem(id);
    dialog_.SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<UINT>(id), BN_CLICKED),
                        reinterpret_cast<LPARAM>(control != nullptr ? control->m_hWnd : nullptr));
}

void Win32View::TextEdited(int id, std::u16string text) {
    if (CWnd* control = dialog_.GetDlgItem(id))
        control->SetTextFromUser(text);
}

void Win32View::CloseCommand() {
    if (dialog_.IsWindowEnabled())
        dialog_.SendMessage(WM_CLOSE);
}

void Win32View::FilesDropped(std::vector<std::u16string> paths) {
    AfxDropFiles(dialog_, std::move(paths));
}

void Win32View::Paint() {
    dialog_.SendMessage(WM_PAINT);
}

unsigned Win32View::DragIcon() {
    return IconResourceId(reinterpret_cast<HICON>(dialog_.SendMessage(WM_QUERYDRAGICON)));
}

void Win32View::ApplicationMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    AfxDispatchMessage(MSG{dialog_.m_hWnd, message, wParam, lParam});
}

void Win32View::WokenUp() {
    backend_.WokenUp(window_);
}
