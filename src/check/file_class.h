// The classes into which checking a folder against its list, or comparing two lists, puts each
// file, in the order of the reports.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

enum FileClass : std::uint8_t {
    kMismatch,         // another digest
    kMissing,          // in the (old) list, gone now
    kAdded,            // present now (in the new list), not in the (old) list
    kMoved,            // the same digest at a new path, the old path gone
    kUnreadable,       // present, but no digest can be had
    kAmbiguous,        // names that give the same bytes in a list: which is which is not guessed
    kNowReadable,      // the list has no digest for it, but it can be read now
    kStillUnreadable,  // the list has no digest for it, and it cannot be read now either
    kMatch,            // the same digest
    kClassCount,
};

constexpr std::array<std::u16string_view, kClassCount> kClassNames = {
    u"不一致",
    u"欠落",
    u"追加",
    u"移動",
    u"読取不可",
    u"曖昧",
    u"前回読取不可・今回読取可",
    u"前回も今回も読取不可",
    u"一致",
};

using ClassCounts = std::array<std::size_t, kClassCount>;
