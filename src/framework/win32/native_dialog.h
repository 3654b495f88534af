// The real window of one dialog, made by the Windows dialog manager from a template in memory, and
// the thread's modal loop that runs it. This side speaks Win32 and knows nothing of the framework;
// the view (win32_view.h) translates between the two. The header itself includes no Windows
// header, so that the framework's own names for Windows types never meet the real ones.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

struct HWND__;  // the real window's handle type, as Windows names it
struct HDC__;
struct HFONT__;

// What the window reports. Every call comes on the window's thread.
class NativeDialogEvents {
  public:
    // A control's identifier, or kDialogItself for the dialog's own window.
    static constexpr int kDialogItself = 0;

    // A message that the modal loop took from the thread's queue for the dialog or one of its
    // controls, before the dialog manager sees it; true consumes it.
    virtual bool PreTranslate(int id, unsigned message, std::uintptr_t wParam,
                              std::intptr_t lParam) = 0;
    virtual void Clicked(int id) = 0;
    // The user changed an edit field's text.
    virtual void TextEdited(int id, std::u16string text) = 0;
    // The close box, Close in the window menu, Alt+F4.
    virtual void CloseCommand() = 0;
    // Files and folders dropped on the window, once it accepts them; their paths in the order
    // of the drop.
    virtual void FilesDropped(std::vector<std::u16string> paths) = 0;
    // The window paints; DrawIcon may be called meanwhile.
    virtual void Paint() = 0;
    // The resource identifier of the icon shown while the minimised window is dragged.
    virtual unsigned DragIcon() = 0;
    // One of the application's own messages (above the dialog manager's, below WM_APP), posted
    // or sent to the real window.
    virtual void ApplicationMessage(unsigned message, std::uintptr_t wParam,
                                    std::intptr_t lParam) = 0;
    // Work that WakeUp or WakeUpAfter asked for.
    virtual void WokenUp() = 0;
    // Texts that ShowTextsSoon asked for.
    virtual void ShowTexts() = 0;

  protected:
    ~NativeDialogEvents() = default;
};

class NativeDialog {
  public:
    // Makes the window, hidden, on the calling thread from the template's 16-bit words.
    NativeDialog(const std::vector<std::uint16_t>& dialogTemplate, NativeDialogEvents& events);
    ~NativeDialog();
    NativeDialog(const NativeDialog&) = delete;
    NativeDialog& operator=(const NativeDialog&) = delete;

    HWND__* Handle() const { return window_; }

    // Centres the window on its screen's work area and shows it in front.
    void Show();
    void SetCaption(const std::u16string& text);
    void SetControlText(int id, const std::u16string& text);
    // A control that has the focus hands it on to the next enabled control with a tab stop
    // before it is disabled: Windows would leave the focus nowhere, and Tab would move nothing.
    void EnableControl(int id, bool enable);
    // Read-only edit fields share one font in which a text as long as their longest fits whole,
    // whatever its figures; called once their texts have changed.
    void FitReadOnlyFields();
    void AcceptFiles(bool accept);
    // Big and small window icon from the program's icon resource.
    void SetIcon(unsigned resourceId);
    bool IsMinimized() const;
    int ClientWidth() const;
    int ClientHeight() const;
    // Only while the window paints.
    void DrawIcon(int x, int y, unsigned resourceId);

    // Takes messages from the thread's queue and handles them until EndModalLoop; returns at
    // once when the window could not be made.
    void RunModalLoop();
    void EndModalLoop() { ended_ = true; }

    // Safe from any thread, also once the window is gone: WokenUp is called on the window's
    // thread, through its message queue, also while a message box or the folder chooser runs
    // its own loop.
    static void WakeUp(HWND__* window);
    // WokenUp after the delay, on the window's thread.
    void WakeUpAfter(std::chrono::milliseconds delay);
    // ShowTexts once the handler running now has returned.
    void ShowTextsSoon();

  private:
    static std::intptr_t DialogProc(HWND__* window, unsigned message, std::uintptr_t wParam,
                                    std::intptr_t lParam);
    // The dialog procedure's answer to a message; handled is false for what the dialog
    // manager's default handling does.
    std::intptr_t Respond(unsigned message, std::uintptr_t wParam, std::intptr_t lParam,
                          bool* handled);
    // Who a message of the queue is for: a control's identifier, kDialogItself, or nothing
    // (false) for a window that is not this dialog's.
    bool Addressee(HWND__* window, int* id) const;
    // The focus to the next enabled control with a tab stop after the given one.
    void MoveFocusOn(HWND__* from);

    NativeDialogEvents& events_;
    HWND__* window_ = nullptr;
    HDC__* paintContext_ = nullptr;
    bool ended_ = false;
    // The control that had the focus when the window was last made inactive.
    HWND__* focusKept_ = nullptr;
    std::vector<HWND__*> readOnlyFields_;
    int fittedLength_ = -1;
    HFONT__* fittedFont_ = nullptr;
};
