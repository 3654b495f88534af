#include <cerrno>
#include <cstring>

#include "platform/path_text.h"
#include "platform/system_error_text.h"

namespace {

std::u16string OtherErrorText(int code) {
    return NativeToWide(strerrordesc_np(code) != nullptr ? strerrordesc_np(code) : "") + u" (" +
           NativeToWide(std::to_string(code)) + u")";
}

}  // namespace

std::u16string SystemErrorText(int code) {
    switch (code) {
        case EACCES:
        case EPERM:
            return u"書き込みが許可されていません。";
        case ENOSPC:
        case EDQUOT:
            return u"ディスクの空き容量が足りません。";
        case EISDIR:
            return u"同じ名前のフォルダがあります。";
        case EROFS:
            return u"読み取り専用のファイルシステムです。";
        case ENOENT:
        case ENOTDIR:
            return u"書き込み先のフォルダがありません。";
        case ENAMETOOLONG:
            return u"ファイル名が長すぎます。";
        case EIO:
            return u"入出力エラーが発生しました。";
        default:
            return OtherErrorText(code);
    }
}

std::u16string ReadErrorText(int code) {
    switch (code) {
        case EACCES:
        case EPERM:
            return u"読み取りが許可されていません。";
        case ENOENT:
        case ENOTDIR:
            return u"見つかりません。";
        case EIO:
            return u"入出力エラーが発生しました。";
        default:
            return OtherErrorText(code);
    }
}
