// What a user interface backend provides: the window of a dialog on screen (or on a console, or
// in a test script), its modal loop, message boxes, the folder chooser and the desktop's opener.
#pragma once

#include <memory>
#include <optional>

#include "framework/afx_types.h"
#include "framework/resources.h"

class CDialog;
class CWnd;

// One dialog window as the backend shows it. Everything runs on the dialog's UI thread.
class DialogView {
  public:
    virtual ~DialogView() = default;

    virtual void Show() = 0;
    // The caption, a control's text or enabled state, or an icon of the window changed.
    virtual void WindowChanged(CWnd& window) = 0;
    // EndDialog was called: the modal loop ends once the handler running now returns.
    virtual void EndModalLoop() = 0;

    // Modal to the dialog; messages keep being handled while it is open. Returns IDOK, IDYES
    // or IDNO.
    virtual int MessageBox(const CString& text, const CString& caption, UINT type) = 0;
    // The chosen folder's path, or nothing when the chooser was cancelled.
    virtual std::optional<CString> BrowseForFolder(const CString& title) = 0;

    virtual bool IsMinimized() const = 0;
    virtual RECT ClientRect() const = 0;
    virtual void DrawIcon(int x, int y, HICON icon) = 0;
};

class UiBackend {
  public:
    virtual ~UiBackend() = default;

    // False when no one can operate a window (no display, no input): a dialog then ends by
    // itself once nothing is left that could change it.
    virtual bool IsInteractive() const = 0;

    virtual std::unique_ptr<DialogView> CreateView(CDialog& dialog,
                                                   const DialogTemplate& resource) = 0;
    // Handles messages on the calling thread until the dialog has ended.
    virtual void RunModalLoop(CDialog& dialog) = 0;

    // A message box without an owner window.
    virtual int MessageBox(const CString& text, const CString& caption, UINT type) = 0;
    virtual void SetWaitCursor(bool on) = 0;
    // Opens the file with the desktop's default handler. Returns what ShellExecuteW returns: above
    // 32 once the desktop has been asked, else why it could not be.
    virtual INT_PTR OpenDocument(const CString& path) = 0;
};

void AfxSetBackend(UiBackend* backend);
UiBackend& AfxGetBackend();
