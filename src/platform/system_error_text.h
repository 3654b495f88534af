// Why a file operation failed, as a short text for the user.
#pragma once

#include <string>

// For a file that was to be written.
std::u16string SystemErrorText(int code);
// For a file or folder that was to be read.
std::u16string ReadErrorText(int code);
