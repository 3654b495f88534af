#include "framework/qt/control_widgets.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "framework/dialog.h"
#include "framework/qt/dialog_units.h"

namespace {

QWidget* MakeEdit(QWidget& window, const DialogItemTemplate& item, CWnd& control) {
    auto* edit = new QLineEdit(&window);
    edit->setReadOnly((item.style & ES_READONLY) != 0);
    edit->setAlignment((item.style & ES_RIGHT) != 0 ? Qt::AlignRight | Qt::AlignVCenter
                                                    : Qt::AlignLeft | Qt::AlignVCenter);
    edit->setFrame((item.style & WS_BORDER) != 0);
    QObject::connect(edit, &QLineEdit::textEdited, edit, [&control](const QString& text) {
        control.SetTextFromUser(text.toStdU16String());
    });
    return edit;
}

QWidget* MakeButton(QWidget& window, CWnd& control, CDialog& dialog) {
    auto* button = new QPushButton(&window);
    button->setAutoDefault(false);
    button->setDefault(false);
    QObject::connect(button, &QPushButton::clicked, button, [&control, &dialog] {
        dialog.SendMessage(WM_COMMAND,
                           MAKEWPARAM(static_cast<UINT>(control.GetDlgCtrlID()), BN_CLICKED),
                           reinterpret_cast<LPARAM>(control.m_hWnd));
    });
    return button;
}

}  // namespace

QWidget* MakeControlWidget(QWidget& window, const DialogItemTemplate& item, CWnd& control,
                           CDialog& dialog) {
    QWidget* shown = nullptr;
    switch (item.controlClass) {
        case ControlClass::Edit:
            shown = MakeEdit(window, item, control);
            break;
        case ControlClass::Button:
            shown = MakeButton(window, control, dialog);
            break;
        case ControlClass::Static:
            shown = new QLabel(&window);
            break;
    }
    shown->setObjectName(QString::number(item.id));
    shown->setAcceptDrops(false);
    shown->setGeometry(DialogUnits(window.font()).Rect(item.rect));
    if ((item.style & WS_TABSTOP) != 0) {
        shown->setFocusPolicy(Qt::StrongFocus);
    } else {
        shown->setFocusPolicy(item.controlClass == ControlClass::Edit ? Qt::ClickFocus
                                                                      : Qt::NoFocus);
    }
    return shown;
}
