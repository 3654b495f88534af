// A list from anywhere: whatever its bytes, reading it either refuses it with a line and a reason
// or gives files whose paths lie below the root the header names, in the list's line order; or,
// for another program's list, relative keys that each begin with the separator.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "list/list_reader.h"
#include "platform/path_text.h"

namespace {

void Require(bool holds) {
    if (!holds)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::atomic<bool> never = false;
    const ListReading reading =
        ParseListToCheck(std::string_view(reinterpret_cast<const char*>(data), size), never);
    if (!reading.list) {
        Require(!reading.reason.empty());
        return 0;
    }
    const DigestList& list = *reading.list;
    if (list.relative) {
        for (const ListedFile& file : list.files) {
            const std::string_view key = list.Key(file);
            Require(key.size() > 1 && key[0] == static_cast<char>(kPathSeparator));
            Require(key.find('\0') == std::string_view::npos);
        }
        return 0;
    }
    for (const ListedFile& file : list.files) {
        const std::string_view path = list.Path(file);
        Require(path.starts_with(list.Root()));
        // A folder that could not be listed may be the root itself, with the separator.
        Require(path.size() > list.Root().size() + 1 || file.folder);
        Require(list.Key(file).size() == path.size() - list.Root().size());
    }
    return 0;
}
