// Why a file operation failed, as a short text for the user.
#pragma once

#include <string>

std::u16string SystemErrorText(int code);
