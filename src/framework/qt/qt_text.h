// The framework's wide text as Qt's.
#pragma once

#include <QString>

#include "framework/afx_types.h"

inline QString ToQt(const CString& text) {
    return QString::fromStdU16String(text);
}
