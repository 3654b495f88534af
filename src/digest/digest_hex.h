// A digest's text: 32 hexadecimal digits, two per byte, the high half first. Lists and reports
// write it in lower case and read it in either, in the characters of the text it is part of.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

using Digest = std::array<std::uint8_t, 16>;

template <class Char>
std::basic_string<Char> DigestHex(const Digest& digest) {
    constexpr std::string_view kDigits = "0123456789abcdef";
    std::basic_string<Char> hex;
    hex.reserve(2 * digest.size());
    for (const std::uint8_t byte : digest) {
        hex.push_back(static_cast<Char>(kDigits[byte >> 4]));
        hex.push_back(static_cast<Char>(kDigits[byte & 0x0F]));
    }
    return hex;
}

// Nothing unless the text is exactly 32 hexadecimal digits.
template <class Char>
std::optional<Digest> ParseDigestHex(std::basic_string_view<Char> hex) {
    const auto nibble = [](Char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    };
    Digest digest{};
    if (hex.size() != 2 * digest.size())
        return std::nullopt;
    for (std::size_t i = 0; i < digest.size(); ++i) {
        const int high = nibble(hex[2 * i]);
        const int low = nibble(hex[2 * i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        digest[i] = static_cast<std::uint8_t>(high << 4 | low);
    }
    return digest;
}
