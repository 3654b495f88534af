#include "framework/qt/dialog_window.h"

#include <QCloseEvent>
#include <QDir>
#include <QDropEvent>
#include <QMimeData>
#include <QPainter>
#include <QUrl>
#include <vector>

#include "framework/dialog.h"
#include "framework/qt/dialog_font.h"
#include "framework/qt/dialog_units.h"
#include "framework/shell.h"

namespace {

// The local files and folders that a drag carries, as the desktop's file manager gives them.
std::vector<CString> DraggedPaths(const QMimeData* data) {
    std::vector<CString> paths;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile())
            paths.push_back(QDir::cleanPath(url.toLocalFile()).toStdU16String());
    }
    return paths;
}

}  // namespace

DialogWindow::DialogWindow(CDialog& dialog, const DialogTemplate& resource, Painting painting)
    : dialog_(dialog), painting_(std::move(painting)) {
    const QFont font = DialogFont(resource);
    setFont(font);
    setObjectName(QStringLiteral("dialog"));
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (resource.style & WS_SYSMENU)
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (resource.style & WS_MINIMIZEBOX)
        flags |= Qt::WindowMinimizeButtonHint;
    if (resource.style & DS_SYSMODAL)
        flags |= Qt::WindowStaysOnTopHint;
    setWindowFlags(flags);
    setFixedSize(DialogUnits(font).Rect(resource.rect).size());
}

// The close box, Close in the window menu and Alt+F4: the window's close command.
void DialogWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (dialog_.IsWindowEnabled())
        dialog_.SendMessage(WM_CLOSE);
}

// Qt's own dialog keys (Enter for a default button, Escape to reject) never apply: the
// framework's dialog manager has them.
void DialogWindow::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape)
        return;
    QDialog::keyPressEvent(event);
}

// Files and folders dragged over the window, its controls included: the controls take no drops
// of their own, so that the dialog has them all.
void DialogWindow::dragEnterEvent(QDragEnterEvent* event) {
    dragMoveEvent(event);
}

void DialogWindow::dragMoveEvent(QDragMoveEvent* event) {
    if (dialog_.IsWindowEnabled() && !DraggedPaths(event->mimeData()).empty())
        event->acceptProposedAction();
}

void DialogWindow::dropEvent(QDropEvent* event) {
    if (AfxDropFiles(dialog_, DraggedPaths(event->mimeData())))
        event->acceptProposedAction();
}

void DialogWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painting_(&painter);
    dialog_.SendMessage(WM_PAINT);
    painting_(nullptr);
}
