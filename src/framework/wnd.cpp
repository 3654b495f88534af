#include "framework/wnd.h"

#include "framework/backend.h"
#include "framework/message_pump.h"
#include "framework/shell.h"
#include "framework/win_app.h"
#include "framework/window_handles.h"

CWnd::~CWnd() {
    DestroyWindow();
}

CWnd* CWnd::FromHandlePermanent(HWND window) {
    return WindowObjectOf(window);
}

void CWnd::CreateFromTemplate(const DialogTemplate& resource) {
    const std::shared_ptr<MessageQueue> queue = AfxGetThreadQueue();
    const auto registerWindow = [&queue](CWnd& window) {
        window.m_hWnd = CreateWindowHandle(queue, &window);
    };
    registerWindow(*this);
    style_ = resource.style;
    templateRect_ = resource.rect;
    text_ = resource.caption;
    for (const DialogItemTemplate& item : resource.items) {
        auto control = std::make_unique<CWnd>();
        control->id_ = item.id;
        control->controlClass_ = item.controlClass;
        control->style_ = item.style;
        control->templateRect_ = item.rect;
        control->text_ = item.text;
        control->parent_ = this;
        registerWindow(*control);
        controls_.push_back(std::move(control));
    }
}

void CWnd::DestroyWindow() {
    view_.reset();
    controls_.clear();
    if (m_hWnd == nullptr)
        return;
    DestroyWindowHandle(m_hWnd);
    m_hWnd = nullptr;
}

DialogView* CWnd::View() const {
    return parent_ != nullptr ? parent_->View() : view_.get();
}

void CWnd::Changed() {
    if (DialogView* view = View())
        view->WindowChanged(*this);
}

CWnd* CWnd::GetDlgItem(int id) const {
    for (const auto& control : controls_) {
        if (control->id_ == id)
            return control.get();
    }
    return nullptr;
}

BOOL CWnd::EnableWindow(BOOL enable) {
    const BOOL wasDisabled = enabled_ ? FALSE : TRUE;
    if (enabled_ != (enable != FALSE)) {
        enabled_ = enable != FALSE;
        Changed();
    }
    return wasDisabled;
}

void CWnd::SetWindowText(const CString& text) {
    if (text_ == text)
        return;
    text_ = text;
    Changed();
}

HICON CWnd::SetIcon(HICON icon, BOOL bigIcon) {
    HICON& slot = bigIcon ? bigIcon_ : smallIcon_;
    HICON previous = slot;
    slot = icon;
    Changed();
    return previous;
}

void CWnd::DragAcceptFiles(BOOL accept) {
    acceptsFiles_ = accept != FALSE;
    Changed();
}

BOOL CWnd::IsIconic() const {
    const DialogView* view = View();
    return view != nullptr && view->IsMinimized() ? TRUE : FALSE;
}

void CWnd::GetClientRect(RECT* rect) const {
    const DialogView* view = View();
    *rect = view != nullptr ? view->ClientRect() : RECT{};
}

int CWnd::MessageBox(const char16_t* text, const char16_t* caption, UINT type) {
    const CWinApp* app = AfxGetApp();
    const CString title = caption != nullptr ? CString(caption)
                          : app != nullptr   ? app->m_pszAppName
                                             : CString();
    DialogView* view = View();
    if (view == nullptr)
        return AfxGetBackend().MessageBox(text, title, type);
    // The owner takes no input while its box is open.
    CWnd& owner = parent_ != nullptr ? *parent_ : *this;
    const BOOL wasDisabled = owner.EnableWindow(FALSE);
    const int answer = view->MessageBox(text, title, type);
    if (!wasDisabled)
        owner.EnableWindow(TRUE);
    return answer;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return WindowProc(message, wParam, lParam);
}

BOOL CWnd::PreTranslateMessage(MSG*) {
    return FALSE;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (DispatchThroughMap(message, wParam, lParam, &result))
        return result;
    // A command the window does not handle goes on to the application.
    CWinApp* app = AfxGetApp();
    if (message == WM_COMMAND && app != nullptr && app->OnCmdMsg(wParam, lParam))
        return 0;
    return DefWindowProc(message, wParam, lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_LBUTTONUP:
            // A button that is clicked tells its dialog.
            if (controlClass_ == ControlClass::Button && parent_ != nullptr) {
                parent_->SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<UINT>(id_), BN_CLICKED),
                                     reinterpret_cast<LPARAM>(m_hWnd));
            }
            return 0;
        case WM_CHAR:
            // A single-line edit field takes printable characters at its end; Enter, Escape and
            // other control characters put nothing into it.
            if (controlClass_ == ControlClass::Edit && (style_ & ES_READONLY) == 0) {
                const auto character = static_cast<char16_t>(wParam);
                if (character == u'\b') {
                    if (!text_.empty())
                        SetWindowText(text_.substr(0, text_.size() - 1));
                } else if (character >= 0x20 && character != 0x7F) {
                    SetWindowText(text_ + character);
                }
            }
            return 0;
        case WM_DROPFILES:
            // A window without a handler lets the drop go.
            DragFinish(reinterpret_cast<HDROP>(wParam));
            return 0;
        default:
            return 0;
    }
}
