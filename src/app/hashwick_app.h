// The application: start-up, the command line, and the filter that keeps Enter and Escape away
// from the dialog.
#pragma once

#include "framework/win_app.h"

// Exit status of a run from the command line.
enum HashwickExitStatus : int {
    kExitListWritten = 0,
    kExitListNotWritten = 1,
    kExitNotOperable = 2,  // no folder on a console, or the folder was refused there
};

class CHashwickApp : public CWinAppEx {
  public:
    ~CHashwickApp() override = default;

    BOOL InitInstance() override;
    BOOL PreTranslateMessage(MSG* message) override;

    DECLARE_MESSAGE_MAP()
};
