#include "platform/path_text.h"

#include <cstdint>

#include "platform/utf16.h"

namespace {

constexpr char16_t kEscapeBase = 0xDC00;

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// Length of the strict UTF-8 sequence starting at text[i] and its code point, or 0 when the
// bytes there do not form one (overlong forms, encoded surrogates and values past U+10FFFF are
// refused, so that only escaping can ever produce a lone surrogate).
std::size_t DecodeSequence(std::string_view text, std::size_t i, char32_t& cp) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[i + k]); };
    const std::size_t left = text.size() - i;
    const unsigned char lead = byte(0);
    if (lead >= 0xC2 && lead <= 0xDF) {
        if (left < 2 || !IsContinuation(byte(1)))
            return 0;
        cp = (char32_t{lead} & 0x1F) << 6 | (byte(1) & 0x3F);
        return 2;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        if (left < 3 || !IsContinuation(byte(1)) || !IsContinuation(byte(2)))
            return 0;
        cp = (char32_t{lead} & 0x0F) << 12 | char32_t(byte(1) & 0x3F) << 6 | (byte(2) & 0x3F);
        if (cp < 0x800 || IsSurrogate(static_cast<char16_t>(cp)))
            return 0;
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        if (left < 4 || !IsContinuation(byte(1)) || !IsContinuation(byte(2)) ||
            !IsContinuation(byte(3))) {
            return 0;
        }
        cp = (char32_t{lead} & 0x07) << 18 | char32_t(byte(1) & 0x3F) << 12 |
             char32_t(byte(2) & 0x3F) << 6 | (byte(3) & 0x3F);
        if (cp < 0x10000 || cp > 0x10FFFF)
            return 0;
        return 4;
    }
    return 0;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

}  // namespace

std::u16string NativeToWide(std::string_view native) {
    std::u16string wide;
    wide.reserve(native.size());
    std::size_t i = 0;
    while (i < native.size()) {
        const auto lead = static_cast<unsigned char>(native[i]);
        if (lead < 0x80) {
            wide.push_back(lead);
            ++i;
            continue;
        }
        char32_t cp = 0;
        if (const std::size_t length = DecodeSequence(native, i, cp); length != 0) {
            AppendCodePoint(wide, cp);
            i += length;
        } else {
            wide.push_back(static_cast<char16_t>(kEscapeBase + lead));
            ++i;
        }
    }
    return wide;
}

bool IsUtf8(std::string_view text) {
    char32_t cp = 0;
    for (std::size_t i = 0; i < text.size();) {
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            ++i;
        } else if (const std::size_t length = DecodeSequence(text, i, cp); length != 0) {
            i += length;
        } else {
            return false;
        }
    }
    return true;
}

std::optional<std::string> WideToNative(std::u16string_view wide) {
    std::string native;
    native.reserve(wide.size());
    for (std::size_t i = 0; i < wide.size(); ++i) {
        const char16_t unit = wide[i];
        if (unit == 0)
            return std::nullopt;
        if (unit < 0x80) {
            native.push_back(static_cast<char>(unit));
        } else if (IsSurrogatePairAt(wide, i)) {
            AppendUtf8(native, CodePointOfPair(unit, wide[i + 1]));
            ++i;
        } else if (unit >= kEscapeBase + 0x80 && unit <= kEscapeBase + 0xFF) {
            native.push_back(static_cast<char>(unit - kEscapeBase));
        } else if (IsSurrogate(unit)) {
            return std::nullopt;
        } else {
            AppendUtf8(native, unit);
        }
    }
    return native;
}
