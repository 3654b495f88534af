#include "framework/qt/input_filter.h"

#include <QKeyEvent>
#include <QMouseEvent>

#include "framework/qt/qt_view.h"
#include "framework/win_app.h"
#include "framework/wnd.h"

namespace {

WPARAM VirtualKey(const QKeyEvent& event) {
    const int key = event.key();
    switch (key) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return VK_RETURN;
        case Qt::Key_Escape:
            return VK_ESCAPE;
        case Qt::Key_Tab:
            return 0x09;
        case Qt::Key_Backspace:
            return 0x08;
        case Qt::Key_Space:
            return 0x20;
        default:
            if ((key >= Qt::Key_0 && key <= Qt::Key_9) || (key >= Qt::Key_A && key <= Qt::Key_Z)) {
                return static_cast<WPARAM>(key);
            }
            return 0;
    }
}

WPARAM MouseKeys(const QMouseEvent& event) {
    WPARAM keys = 0;
    if (event.buttons() & Qt::LeftButton)
        keys |= MK_LBUTTON;
    if (event.buttons() & Qt::RightButton)
        keys |= 0x02;
    if (event.buttons() & Qt::MiddleButton)
        keys |= 0x10;
    if (event.modifiers() & Qt::ShiftModifier)
        keys |= MK_SHIFT;
    if (event.modifiers() & Qt::ControlModifier)
        keys |= MK_CONTROL;
    return keys;
}

BOOL PreTranslate(MSG& message) {
    CWinApp* app = AfxGetApp();
    return app != nullptr ? app->PreTranslateMessage(&message) : FALSE;
}

}  // namespace

bool InputFilter::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    const bool key = type == QEvent::KeyPress || type == QEvent::KeyRelease;
    const bool mouse = type == QEvent::MouseMove || type == QEvent::MouseButtonPress ||
                       type == QEvent::MouseButtonRelease;
    if (!key && !mouse)
        return false;
    const QtView* view = QtView::Of(watched);
    if (view == nullptr)
        return false;
    const HWND window = view->WindowOf(watched)->m_hWnd;
    if (key) {
        const auto& keyEvent = static_cast<const QKeyEvent&>(*event);
        MSG message{window, type == QEvent::KeyPress ? WM_KEYDOWN : WM_KEYUP, VirtualKey(keyEvent),
                    0};
        if (PreTranslate(message))
            return true;
        if (type == QEvent::KeyPress && !keyEvent.text().isEmpty()) {
            MSG character{window, WM_CHAR, keyEvent.text().front().unicode(), 0};
            if (PreTranslate(character))
                return true;
        }
        return false;
    }
    const auto& mouseEvent = static_cast<const QMouseEvent&>(*event);
    const UINT number = type == QEvent::MouseMove          ? WM_MOUSEMOVE
                        : type == QEvent::MouseButtonPress ? WM_LBUTTONDOWN
                                                           : WM_LBUTTONUP;
    MSG message{window, number, MouseKeys(mouseEvent), 0};
    return PreTranslate(message) != FALSE;
}
