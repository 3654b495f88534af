// Windows: the dialog itself and each of its controls. All of this runs on the UI thread.
#pragma once

#include <memory>
#include <vector>

#include "framework/cmd_target.h"
#include "framework/resources.h"

class DialogView;

class CWnd : public CCmdTarget {
  public:
    CWnd() = default;
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;

    // The window object of a handle, while the window exists.
    static CWnd* FromHandlePermanent(HWND window);

    CWnd* GetDlgItem(int id) const;
    int GetDlgCtrlID() const { return id_; }
    CWnd* GetParent() const { return parent_; }
    DWORD GetStyle() const { return style_; }
    ControlClass GetControlClass() const { return controlClass_; }
    // The window's rectangle in the template, in dialog units.
    const RECT& TemplateRect() const { return templateRect_; }

    BOOL EnableWindow(BOOL enable = TRUE);  // TRUE when the window was disabled before
    BOOL IsWindowEnabled() const { return enabled_ ? TRUE : FALSE; }
    void SetWindowText(const CString& text);
    const CString& GetWindowText() const { return text_; }
    HICON SetIcon(HICON icon, BOOL bigIcon);
    HICON GetIcon(BOOL bigIcon) const { return bigIcon ? bigIcon_ : smallIcon_; }

    // Whether files and folders dropped on the window reach it, in WM_DROPFILES.
    void DragAcceptFiles(BOOL accept = TRUE);
    bool AcceptsFiles() const { return acceptsFiles_; }

    BOOL IsIconic() const;
    void GetClientRect(RECT* rect) const;
    int MessageBox(const char16_t* text, const char16_t* caption = nullptr, UINT type = MB_OK);
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    // Sees a message of this window or its controls before it is dispatched; TRUE consumes it.
    virtual BOOL PreTranslateMessage(MSG* message);
    // Handles a message: the message map first, then the window's default behaviour.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    // For backends: text typed by the user, already shown, so the view is not told again.
    void SetTextFromUser(const CString& text) { text_ = text; }
    // For backends: the controls in template order.
    const std::vector<std::unique_ptr<CWnd>>& Controls() const { return controls_; }
    DialogView* View() const;

  protected:
    // The window's default painting: the backend draws the controls itself.
    void OnPaint() {}

    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    // Creates the window's handle on the calling thread's queue, and its controls.
    void CreateFromTemplate(const DialogTemplate& resource);
    void DestroyWindow();

    std::unique_ptr<DialogView> view_;

  private:
    void Changed();

    int id_ = 0;
    ControlClass controlClass_ = ControlClass::Static;
    DWORD style_ = 0;
    RECT templateRect_;
    CString text_;
    bool enabled_ = true;
    bool acceptsFiles_ = false;
    HICON bigIcon_ = nullptr;
    HICON smallIcon_ = nullptr;
    CWnd* parent_ = nullptr;
    std::vector<std::unique_ptr<CWnd>> controls_;
};
