#include "platform/system_error_text.h"

#include "platform/system_error_kind.h"

std::u16string WriteErrorText(SystemErrorKind kind) {
    switch (kind) {
        case SystemErrorKind::kNotPermitted:
            return u"書き込みが許可されていません。";
        case SystemErrorKind::kDiskFull:
            return u"ディスクの空き容量が足りません。";
        case SystemErrorKind::kFolderInTheWay:
            return u"同じ名前のフォルダがあります。";
        case SystemErrorKind::kReadOnlyFileInTheWay:
            return u"同じ名前の読み取り専用ファイルがあります。";
        case SystemErrorKind::kReadOnlyFileSystem:
            return u"読み取り専用のファイルシステムです。";
        case SystemErrorKind::kNotFound:
            return u"書き込み先のフォルダがありません。";
        case SystemErrorKind::kNameTooLong:
            return u"ファイル名が長すぎます。";
        case SystemErrorKind::kInputOutput:
            return u"入出力エラーが発生しました。";
        case SystemErrorKind::kOther:
            break;
    }
    return {};
}

std::u16string SystemErrorText(int code) {
    const SystemErrorKind kind = KindOfSystemError(code);
    return kind == SystemErrorKind::kOther ? OtherSystemErrorText(code) : WriteErrorText(kind);
}

std::u16string ReadErrorText(int code) {
    switch (KindOfSystemError(code)) {
        case SystemErrorKind::kNotPermitted:
            return u"読み取りが許可されていません。";
        case SystemErrorKind::kNotFound:
            return u"見つかりません。";
        case SystemErrorKind::kInputOutput:
            return u"入出力エラーが発生しました。";
        default:
            return OtherSystemErrorText(code);
    }
}
