#include "list/list_index.h"

#include <algorithm>
#include <numeric>

#include "list/stop_request.h"

namespace {

// Orders files of the list and keys alike, by key.
struct KeyOrder {
    const DigestList& list;

    bool operator()(std::uint32_t file, std::string_view key) const {
        return list.Key(list.files[file]) < key;
    }
    bool operator()(std::string_view key, std::uint32_t file) const {
        return key < list.Key(list.files[file]);
    }
};

}  // namespace

ListIndex::ListIndex(const DigestList& list, const std::atomic<bool>& stop)
    : list_(list), order_(list.files.size()) {
    std::iota(order_.begin(), order_.end(), 0u);
    std::stable_sort(order_.begin(), order_.end(),
                     [&list, &stop](std::uint32_t a, std::uint32_t b) {
                         ThrowIfStopped(stop);
                         return list.Key(list.files[a]) < list.Key(list.files[b]);
                     });
}

std::pair<std::size_t, std::size_t> ListIndex::Find(std::string_view key) const {
    // Bisection at both ends: a run of equal keys may be as long as the list.
    const auto [first, last] = std::equal_range(order_.begin(), order_.end(), key, KeyOrder{list_});
    return {static_cast<std::size_t>(first - order_.begin()),
            static_cast<std::size_t>(last - order_.begin())};
}
