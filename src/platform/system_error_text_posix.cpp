#include <cerrno>
#include <cstring>

#include "platform/path_text.h"
#include "platform/system_error_kind.h"

SystemErrorKind KindOfSystemError(int code) {
    switch (code) {
        case EACCES:
        case EPERM:
            return SystemErrorKind::kNotPermitted;
        case ENOSPC:
        case EDQUOT:
            return SystemErrorKind::kDiskFull;
        case EISDIR:
            return SystemErrorKind::kFolderInTheWay;
        case EROFS:
            return SystemErrorKind::kReadOnlyFileSystem;
        case ENOENT:
        case ENOTDIR:
            return SystemErrorKind::kNotFound;
        case ENAMETOOLONG:
            return SystemErrorKind::kNameTooLong;
        case EIO:
            return SystemErrorKind::kInputOutput;
        default:
            return SystemErrorKind::kOther;
    }
}

std::u16string OtherSystemErrorText(int code) {
    return NativeToWide(strerrordesc_np(code) != nullptr ? strerrordesc_np(code) : "") + u" (" +
           NativeToWide(std::to_string(code)) + u")";
}
