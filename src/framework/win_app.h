// The application: its one object, start-up and exit, and the command line.
#pragma once

#include "framework/win_thread.h"

class UiBackend;

class CWinApp : public CWinThread {
  public:
    // The object becomes the current application.
    explicit CWinApp(const char16_t* appName = nullptr);
    ~CWinApp() override;

    BOOL InitInstance() override { return TRUE; }
    // The exit code given to PostQuitMessage, 0 without one.
    int ExitInstance() override;

    // Keeps the key's text for settings; the framework stores nothing under it.
    void SetRegistryKey(const char16_t* key) { m_pszRegistryKey = key; }
    HICON LoadIcon(UINT id) const;

    void OnHelp() {}

    CString m_pszAppName;  // the default caption of message boxes
    CString m_pszRegistryKey;
    HINSTANCE m_hInstance = nullptr;

    DECLARE_MESSAGE_MAP()
};

class CWinAppEx : public CWinApp {
  public:
    using CWinApp::CWinApp;
};

CWinApp* AfxGetApp();
HINSTANCE AfxGetResourceHandle();

// The command line as the program received it, each argument decoded as a path would be.
extern int afx_argc;
extern char16_t** afx_wargv;

// Records the process's exit code; the application's ExitInstance returns it.
void PostQuitMessage(int exitCode);

// A message box owned by the main window, if there is one.
int AfxMessageBox(const char16_t* text, UINT type = MB_OK);

// The process entry: fills the command line, runs the current application's InitInstance on
// the backend and returns the application's exit code.
int AfxWinMain(HINSTANCE resources, int argc, char** argv, UiBackend& backend);
