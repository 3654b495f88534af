#include <windows.h>

#include <stdexcept>

#include "support/code_page.h"

namespace {

std::wstring ToWide(std::string_view text, UINT codePage) {
    std::wstring wide(text.size(), L'\0');
    const int length = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(),
                                           static_cast<int>(text.size()), wide.data(),
                                           static_cast<int>(wide.size()));
    if (length <= 0 && !text.empty())
        throw std::runtime_error("not convertible: " + std::string(text));
    wide.resize(static_cast<std::size_t>(length));
    return wide;
}

std::string FromWide(const std::wstring& wide, UINT codePage) {
    std::string bytes(wide.size() * 3, '\0');
    BOOL usedDefault = FALSE;
    const int length = WideCharToMultiByte(codePage, codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS,
                                           wide.data(), static_cast<int>(wide.size()), bytes.data(),
                                           static_cast<int>(bytes.size()), nullptr,
                                           codePage == CP_UTF8 ? nullptr : &usedDefault);
    if ((length <= 0 && !wide.empty()) || usedDefault != FALSE)
        throw std::runtime_error("not convertible");
    bytes.resize(static_cast<std::size_t>(length));
    return bytes;
}

}  // namespace

std::string ToCodePage932(std::string_view utf8) {
    return FromWide(ToWide(utf8, CP_UTF8), 932);
}

std::string FromCodePage932(std::string_view bytes) {
    return FromWide(ToWide(bytes, 932), CP_UTF8);
}
