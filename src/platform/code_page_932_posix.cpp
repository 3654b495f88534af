#include <fcntl.h>
#include <iconv.h>
#include <unistd.h>

#include <cerrno>

#include "platform/code_page_932.h"
#include "platform/utf16.h"

namespace {

iconv_t Converter(void* handle) {
    return static_cast<iconv_t>(handle);
}

void* const kNoConverter = reinterpret_cast<void*>(-1);

// The C library says only that it cannot convert, whatever kept it from loading its table: a
// descriptor asked for now tells whether none was left.
bool NoDescriptorLeft() {
    const int probe = open("/", O_PATH | O_CLOEXEC);
    if (probe >= 0) {
        close(probe);
        return false;
    }
    return errno == EMFILE || errno == ENFILE;
}

}  // namespace

CodePage932Encoder::CodePage932Encoder()
    : converter_(iconv_open("CP932", "UTF-16LE")),
      outOfDescriptors_(!Usable() && NoDescriptorLeft()) {}

CodePage932Encoder::~CodePage932Encoder() {
    if (Usable())
        iconv_close(Converter(converter_));
}

bool CodePage932Encoder::Usable() const {
    return converter_ != kNoConverter;
}

bool CodePage932Encoder::OutOfDescriptors() const {
    return outOfDescriptors_;
}

void CodePage932Encoder::AppendConverted(std::string& out, std::u16string_view run) {
    std::string input;
    input.reserve(run.size() * 2);
    for (char16_t unit : run) {
        input.push_back(static_cast<char>(unit & 0xFF));
        input.push_back(static_cast<char>(unit >> 8));
    }
    char* in = input.data();
    std::size_t inLeft = input.size();
    while (inLeft > 0) {
        char bytes[256];
        char* outPointer = bytes;
        std::size_t outLeft = sizeof bytes;
        const std::size_t converted =
            iconv(Converter(converter_), &in, &inLeft, &outPointer, &outLeft);
        out.append(bytes, static_cast<std::size_t>(outPointer - bytes));
        if (converted != static_cast<std::size_t>(-1) || errno == E2BIG)
            continue;
        // Not representable (EILSEQ) or a surrogate cut off at the end (EINVAL): one "?" for the
        // code point, then go on behind it.
        const std::size_t at = (input.size() - inLeft) / 2;
        const std::size_t skip = IsSurrogatePairAt(run, at) ? 4 : 2;
        out.push_back('?');
        in += skip;
        inLeft -= skip;
        iconv(Converter(converter_), nullptr, nullptr, nullptr, nullptr);
    }
}
