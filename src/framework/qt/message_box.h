// A message box as Qt shows it: the framework's box types and answers.
#pragma once

#include "framework/afx_types.h"

class QWidget;

// Modal to the owner, or to the application when there is none. Returns IDOK, IDYES or IDNO.
int ShowMessageBox(QWidget* owner, const CString& text, const CString& caption, UINT type);
