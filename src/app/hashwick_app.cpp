#include "app/hashwick_app.h"

#include "framework/backend.h"
#include "ui/hashwick_dlg.h"

namespace {

constexpr const char16_t* kRegistryKey =
    u"アプリケーション ウィザードで生成されたローカル アプリケーション";
constexpr const char16_t* kUsage = u"使い方: hashwick フォルダ";

bool IsKeyboardInput(UINT message) {
    return message == WM_KEYDOWN || message == WM_KEYUP || message == WM_CHAR ||
           message == WM_SYSKEYDOWN || message == WM_SYSKEYUP || message == WM_SYSCHAR;
}

// An automatic run ends with whether its list was written; a dialog that nothing could operate
// (a console after the folder was refused) with kExitNotOperable.
int ExitStatus(const CHashwickDlg& dialog, INT_PTR result) {
    if (dialog.m_autoMode == 1)
        return dialog.m_listWritten ? kExitListWritten : kExitListNotWritten;
    return result == IDABORT ? kExitNotOperable : kExitListWritten;
}

}  // namespace

BEGIN_MESSAGE_MAP(CHashwickApp, CWinApp)
ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
END_MESSAGE_MAP()

BOOL CHashwickApp::InitInstance() {
    CWinAppEx::InitInstance();
    SetRegistryKey(kRegistryKey);
    // Without a folder the dialog waits for a user, and a console has none.
    if (afx_argc < 2 && !AfxGetBackend().IsInteractive()) {
        AfxMessageBox(kUsage, MB_OK | MB_ICONERROR);
        PostQuitMessage(kExitNotOperable);
        return FALSE;
    }
    CHashwickDlg dialog;
    m_pMainWnd = &dialog;
    if (afx_argc >= 2) {
        dialog.m_autoMode = 1;
        dialog.m_folder = afx_wargv[1];
    }
    const INT_PTR result = dialog.DoModal();
    PostQuitMessage(ExitStatus(dialog, result));
    return FALSE;
}

BOOL CHashwickApp::PreTranslateMessage(MSG* message) {
    if (IsKeyboardInput(message->message) &&
        (message->wParam == VK_RETURN || message->wParam == VK_ESCAPE)) {
        return TRUE;
    }
    return CWinThread::PreTranslateMessage(message);
}
