// Path texts from any bytes: a Linux name decodes to UTF-16 and encodes back to the same bytes,
// whatever it holds; any UTF-16 text, lone surrogates included, becomes list text of one line.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "list/list_text.h"
#include "platform/path_text.h"

namespace {

void Require(bool holds) {
    if (!holds)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    // A name holds no NUL; every other byte sequence must survive the round trip.
    const std::u16string wide = NativeToWide(bytes);
    const std::optional<std::string> back = WideToNative(wide);
    if (bytes.find('\0') == std::string_view::npos) {
        Require(back.has_value() && *back == bytes);
    }

    // The same bytes taken as UTF-16 code units, as a Windows name may hold them.
    std::u16string units(size / 2, u'\0');
    std::memcpy(units.data(), data, units.size() * sizeof(char16_t));
    static ListTextEncoder encoder;
    std::string line;
    encoder.Append(line, units);
    if (encoder.Usable()) {
        // One line per file: no control character but TAB survives.
        for (const char byte : line)
            Require(static_cast<unsigned char>(byte) >= 0x20 || byte == '\t');
        Require(line.size() <= 2 * units.size());
    }
    WideToNative(units);
    return 0;
}
