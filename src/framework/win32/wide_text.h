// The framework's UTF-16 strings as Windows' wide strings, and back: the same code units in a
// type of the same width.
#pragma once

#include <string>

inline std::wstring ToWide(const std::u16string& text) {
    return std::wstring(text.begin(), text.end());
}

inline std::u16string FromWide(const wchar_t* text) {
    const std::wstring wide(text);
    return std::u16string(wide.begin(), wide.end());
}
