#include "framework/dialog.h"

#include <charconv>
#include <stdexcept>

#include "framework/backend.h"
#include "framework/win_app.h"

namespace {

CWnd& Control(CDataExchange* exchange, int id) {
    CWnd* control = exchange->m_pDlgWnd->GetDlgItem(id);
    if (control == nullptr)
        throw std::logic_error("data exchange with a control the dialog lacks");
    return *control;
}

}  // namespace

void DDX_Text(CDataExchange* exchange, int id, CString& value) {
    CWnd& control = Control(exchange, id);
    if (exchange->m_bSaveAndValidate) {
        value = control.GetWindowText();
    } else {
        control.SetWindowText(value);
    }
}

void DDX_Text(CDataExchange* exchange, int id, int& value) {
    CWnd& control = Control(exchange, id);
    if (!exchange->m_bSaveAndValidate) {
        const std::string digits = std::to_string(value);
        control.SetWindowText(CString(digits.begin(), digits.end()));
        return;
    }
    const CString& text = control.GetWindowText();
    std::string narrow;
    for (char16_t unit : text) {
        if (unit > 0x7F) {
            exchange->m_failed = true;
            return;
        }
        narrow.push_back(static_cast<char>(unit));
    }
    int parsed = 0;
    const auto [end, error] = std::from_chars(narrow.data(), narrow.data() + narrow.size(), parsed);
    if (narrow.empty() || error != std::errc() || end != narrow.data() + narrow.size()) {
        exchange->m_failed = true;
        return;
    }
    value = parsed;
}

CDialog::CDialog(UINT templateId, CWnd*) : templateId_(templateId) {}

INT_PTR CDialog::DoModal() {
    const HINSTANCE resources = AfxGetResourceHandle();
    const DialogTemplate* resource =
        resources != nullptr ? resources->FindDialog(templateId_) : nullptr;
    if (resource == nullptr)
        return -1;
    ended_ = false;
    result_ = IDCANCEL;
    CreateFromTemplate(*resource);
    UiBackend& backend = AfxGetBackend();
    view_ = backend.CreateView(*this, *resource);
    OnInitDialog();
    if (!ended_) {
        view_->Show();
        backend.RunModalLoop(*this);
    }
    DestroyWindow();
    if (CWinApp* app = AfxGetApp(); app != nullptr && app->m_pMainWnd == this) {
        app->m_pMainWnd = nullptr;
    }
    return result_;
}

void CDialog::EndDialog(int result) {
    result_ = result;
    ended_ = true;
    if (view_)
        view_->EndModalLoop();
}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
    CDataExchange exchange(this, saveAndValidate);
    DoDataExchange(&exchange);
    return exchange.m_failed ? FALSE : TRUE;
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

void CDialog::OnOK() {
    if (UpdateData(TRUE))
        EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

BOOL CDialog::PreTranslateMessage(MSG* message) {
    const bool enterOrEscape = message->wParam == VK_RETURN || message->wParam == VK_ESCAPE;
    if (!enterOrEscape)
        return FALSE;
    switch (message->message) {
        case WM_KEYDOWN:
            SendMessage(WM_COMMAND, message->wParam == VK_RETURN ? IDOK : IDCANCEL, 0);
            return TRUE;
        case WM_KEYUP:
        case WM_CHAR:
            return TRUE;
        default:
            return FALSE;
    }
}

LRESULT CDialog::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        if (LOWORD(wParam) == IDOK) {
            OnOK();
            return 0;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            OnCancel();
            return 0;
        }
    }
    // The window's close command is the Cancel command.
    if (message == WM_CLOSE) {
        SendMessage(WM_COMMAND, IDCANCEL, 0);
        return 0;
    }
    return CWnd::DefWindowProc(message, wParam, lParam);
}
