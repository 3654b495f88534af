// A list from anywhere: whatever its bytes, reading it either refuses it with a line and a reason
// or gives files whose paths lie below the root the header names, in the list's line order.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "list/list_reader.h"

namespace {

void Require(bool holds) {
    if (!holds)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ListReading reading =
        ParseDigestList(std::string(reinterpret_cast<const char*>(data), size));
    if (!reading.list) {
        Require(!reading.reason.empty());
        return 0;
    }
    const DigestList& list = *reading.list;
    for (const ListedFile& file : list.files) {
        const std::string_view path = list.Path(file);
        Require(path.starts_with(list.Root()));
        Require(path.size() > list.Root().size() + 1);
        Require(list.Key(file).size() == path.size() - list.Root().size());
    }
    return 0;
}
