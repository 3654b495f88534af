#include "platform/replacement_file.h"

#include "platform/system_error_text.h"

bool ReplacementFile::Fail(int code) {
    return Fail(SystemErrorText(code));
}

bool ReplacementFile::Fail(SystemErrorKind kind) {
    return Fail(WriteErrorText(kind));
}

bool ReplacementFile::Fail(std::u16string_view reason) {
    if (!failed_) {
        failed_ = true;
        reason_ = reason;
    }
    return false;
}
