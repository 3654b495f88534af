// The files of a list in the order of their keys, so that the files with a key are found by
// bisection. Files with equal keys (names that became the same bytes in the list) keep the list's
// order.
#pragma once

#include <atomic>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "list/list_reader.h"

class ListIndex {
  public:
    // Throws StopRequested once the stop is set.
    ListIndex(const DigestList& list, const std::atomic<bool>& stop);

    // Indexes into the list's files, ordered by key.
    const std::vector<std::uint32_t>& Order() const { return order_; }
    // The positions in Order() of the files with the key: [first, second).
    std::pair<std::size_t, std::size_t> Find(std::string_view key) const;
    std::string_view KeyAt(std::size_t position) const {
        return list_.Key(list_.files[order_[position]]);
    }

  private:
    const DigestList& list_;
    std::vector<std::uint32_t> order_;
};
