// What a system error code means to the user, whichever system gave it: each system sorts its own
// codes, and the texts for them are written once.
#pragma once

#include <string>

enum class SystemErrorKind {
    kNotPermitted,
    kDiskFull,
    kFolderInTheWay,
    kReadOnlyFileInTheWay,
    kReadOnlyFileSystem,
    kNotFound,
    kNameTooLong,
    kInputOutput,
    kOther,
};

SystemErrorKind KindOfSystemError(int code);

// Why a file could not be written, for every kind but kOther.
std::u16string WriteErrorText(SystemErrorKind kind);

// The system's own description of the code, with the code.
std::u16string OtherSystemErrorText(int code);
