#include "framework/win_app.h"

#include <vector>

#include "framework/backend.h"
#include "framework/wnd.h"
#include "platform/path_text.h"

int afx_argc = 0;
char16_t** afx_wargv = nullptr;

namespace {

CWinApp* currentApp = nullptr;
int quitCode = 0;
UiBackend* currentBackend = nullptr;

}  // namespace

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
END_MESSAGE_MAP()

CWinApp::CWinApp(const char16_t* appName) : m_pszAppName(appName != nullptr ? appName : u"") {
    currentApp = this;
}

CWinApp::~CWinApp() {
    if (currentApp == this)
        currentApp = nullptr;
}

int CWinApp::ExitInstance() {
    return quitCode;
}

HICON CWinApp::LoadIcon(UINT id) const {
    return m_hInstance != nullptr && m_hInstance->FindIcon(id) != nullptr ? IconHandle(id)
                                                                          : nullptr;
}

CWinApp* AfxGetApp() {
    return currentApp;
}

HINSTANCE AfxGetResourceHandle() {
    return currentApp != nullptr ? currentApp->m_hInstance : nullptr;
}

void PostQuitMessage(int exitCode) {
    quitCode = exitCode;
}

void AfxSetBackend(UiBackend* backend) {
    currentBackend = backend;
}

UiBackend& AfxGetBackend() {
    return *currentBackend;
}

int AfxMessageBox(const char16_t* text, UINT type) {
    CWinApp* app = AfxGetApp();
    const CString caption = app != nullptr ? app->m_pszAppName : CString();
    if (app != nullptr && app->m_pMainWnd != nullptr && app->m_pMainWnd->View() != nullptr) {
        return app->m_pMainWnd->MessageBox(text, caption.c_str(), type);
    }
    return AfxGetBackend().MessageBox(text, caption, type);
}

int AfxWinMain(HINSTANCE resources, int argc, char** argv, UiBackend& backend) {
    static std::vector<std::u16string> arguments;
    static std::vector<char16_t*> vector;
    arguments.clear();
    for (int i = 0; i < argc; ++i)
        arguments.push_back(NativeToWide(argv[i]));
    vector.clear();
    for (std::u16string& argument : arguments)
        vector.push_back(argument.data());
    vector.push_back(nullptr);
    afx_argc = argc;
    afx_wargv = vector.data();

    AfxSetBackend(&backend);
    quitCode = 0;
    CWinApp* app = AfxGetApp();
    if (app == nullptr)
        return 1;
    app->m_hInstance = resources;
    // Without a title of its own the application goes by its resources' title, or else by its
    // program's name.
    if (app->m_pszAppName.empty() && resources != nullptr)
        app->m_pszAppName = resources->FindString(AFX_IDS_APP_TITLE);
    if (app->m_pszAppName.empty() && !arguments.empty()) {
        const std::u16string& program = arguments.front();
        app->m_pszAppName = program.substr(program.find_last_of(kPathSeparator) + 1);
    }
    // The application lives as long as what InitInstance runs; there is no loop after it.
    app->InitInstance();
    const int exitCode = app->ExitInstance();
    AfxSetBackend(nullptr);
    return exitCode;
}
