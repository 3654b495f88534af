// The Qt window of a framework dialog: its frame follows the template's styles, and what happens
// to the window (closing it, keys, drops, painting) goes to the dialog as the dialog manager
// would send it.
#pragma once

#include <QDialog>
#include <functional>

#include "framework/backend.h"

class CDialog;
class QPainter;

class DialogWindow final : public QDialog {
  public:
    // Paints with the painter of the paint event under way.
    using Painting = std::function<void(QPainter*)>;

    DialogWindow(CDialog& dialog, const DialogTemplate& resource, Painting painting);

  protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void reject() override {}
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    CDialog& dialog_;
    const Painting painting_;
};
