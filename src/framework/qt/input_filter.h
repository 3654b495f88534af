// Keyboard and mouse input for a dialog's widgets first goes through the application's
// PreTranslateMessage, as a message loop's retrieved messages do; TRUE swallows it.
#pragma once

#include <QObject>

class InputFilter final : public QObject {
  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
