// Code page 932 for test expectations, converted by the C library (on Windows the system) directly:
// lists written by hand from UTF-8 text, and reports read back as UTF-8.
#pragma once

#include <string>
#include <string_view>

// Throws when the text cannot be converted, so that a test never compares a partial text.
std::string ToCodePage932(std::string_view utf8);
std::string FromCodePage932(std::string_view bytes);
