#include "list/list_index.h"

#include <algorithm>
#include <numeric>

ListIndex::ListIndex(const DigestList& list) : list_(list), order_(list.files.size()) {
    std::iota(order_.begin(), order_.end(), 0u);
    std::stable_sort(order_.begin(), order_.end(), [&list](std::uint32_t a, std::uint32_t b) {
        return list.Key(list.files[a]) < list.Key(list.files[b]);
    });
}

std::pair<std::size_t, std::size_t> ListIndex::Find(std::string_view key) const {
    const auto keyOf = [this](std::uint32_t file) { return list_.Key(list_.files[file]); };
    const auto first = std::lower_bound(
        order_.begin(), order_.end(), key,
        [&](std::uint32_t file, std::string_view wanted) { return keyOf(file) < wanted; });
    // Most keys name one file: the run of equal keys is short.
    auto last = first;
    while (last != order_.end() && keyOf(*last) == key)
        ++last;
    return {static_cast<std::size_t>(first - order_.begin()),
            static_cast<std::size_t>(last - order_.begin())};
}
