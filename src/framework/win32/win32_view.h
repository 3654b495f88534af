// The window of one dialog on Win32: the real dialog made from the framework's template, whose
// controls show their framework windows' texts and enabled states, and whose clicks, typing,
// keys and painting go to the framework's dialog.
#pragma once

#include <vector>

#include "framework/backend.h"
#include "framework/win32/native_dialog.h"

class Win32Backend;

class Win32View final : public DialogView, private NativeDialogEvents {
  public:
    Win32View(Win32Backend& backend, CDialog& dialog, const DialogTemplate& resource);
    ~Win32View() override;

    void Show() override;
    void WindowChanged(CWnd& window) override;
    void EndModalLoop() override;
    int MessageBox(const CString& text, const CString& caption, UINT type) override;
    std::optional<CString> BrowseForFolder(const CString& title) override;
    bool IsMinimized() const override;
    RECT ClientRect() const override;
    void DrawIcon(int x, int y, HICON icon) override;

    // Handles messages until the dialog has ended.
    void RunLoop();

  private:
    bool PreTranslate(int id, unsigned message, std::uintptr_t wParam,
                      std::intptr_t lParam) override;
    void Clicked(int id) override;
    void TextEdited(int id, std::u16string text) override;
    void CloseCommand() override;
    void FilesDropped(std::vector<std::u16string> paths) override;
    void Paint() override;
    unsigned DragIcon() override;
    void ApplicationMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override;
    void WokenUp() override;
    void ShowTexts() override;

    // The framework window of a control's identifier, or of kDialogItself.
    CWnd* WindowOf(int id) const;

    Win32Backend& backend_;
    CDialog& dialog_;
    NativeDialog window_;
    // Controls whose texts changed since they were last shown: a run's counts change thousands
    // of times a second, and the screen needs each text once per pass of the message loop.
    std::vector<CWnd*> changedTexts_;
};
