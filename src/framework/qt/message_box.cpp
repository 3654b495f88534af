#include "framework/qt/message_box.h"

#include <QMessageBox>
#include <QPushButton>

#include "framework/qt/qt_text.h"

int ShowMessageBox(QWidget* owner, const CString& text, const CString& caption, UINT type) {
    QMessageBox box(owner);
    box.setWindowTitle(ToQt(caption));
    box.setText(ToQt(text));
    switch (type & MB_ICONMASK) {
        case MB_ICONQUESTION:
            box.setIcon(QMessageBox::Question);
            break;
        case MB_ICONERROR:
            box.setIcon(QMessageBox::Critical);
            break;
        default:
            box.setIcon(QMessageBox::NoIcon);
    }
    if ((type & MB_TYPEMASK) == MB_YESNO) {
        QPushButton* yes = box.addButton(QStringLiteral("はい(&Y)"), QMessageBox::YesRole);
        box.addButton(QStringLiteral("いいえ(&N)"), QMessageBox::NoRole);
        box.setDefaultButton(yes);
        box.exec();
        return box.clickedButton() == yes ? IDYES : IDNO;
    }
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.exec();
    return IDOK;
}
