#include "list/list_layout.h"

#include <charconv>

std::u16string CountText(std::int64_t value) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    return std::u16string(digits, end);
}

std::u16string SecondsText(Tick earlier, Tick later) {
    // Tick differences wrap like the 32-bit ticks themselves.
    const auto difference = static_cast<std::int32_t>(static_cast<std::uint32_t>(later) -
                                                      static_cast<std::uint32_t>(earlier));
    char seconds[64];
    const auto end = std::to_chars(seconds, seconds + sizeof seconds, difference / 1000.0,
                                   std::chars_format::fixed, 1)
                         .ptr;
    return std::u16string(seconds, end);
}
