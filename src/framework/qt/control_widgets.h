// The Qt widgets of a dialog's controls: an edit field, a push button or a label for each control
// of the template, whose user input goes to the framework window of the control.
#pragma once

#include <QWidget>

#include "framework/backend.h"

class CDialog;
class CWnd;

// The control's widget inside the dialog's window, placed by the template: typing into a field
// sets its window's text; a click of a button is its command to the dialog.
QWidget* MakeControlWidget(QWidget& window, const DialogItemTemplate& item, CWnd& control,
                           CDialog& dialog);
