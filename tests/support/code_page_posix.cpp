#include <iconv.h>

#include <stdexcept>

#include "support/code_page.h"

namespace {

std::string Convert(std::string_view text, const char* to, const char* from) {
    const iconv_t converter = iconv_open(to, from);
    if (converter == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error("no converter");
    std::string input(text);
    std::string output(input.size() * 2 + 16, '\0');
    char* in = input.data();
    std::size_t inLeft = input.size();
    char* out = output.data();
    std::size_t outLeft = output.size();
    const std::size_t done = iconv(converter, &in, &inLeft, &out, &outLeft);
    iconv_close(converter);
    if (done == static_cast<std::size_t>(-1))
        throw std::runtime_error("not convertible: " + input);
    output.resize(output.size() - outLeft);
    return output;
}

}  // namespace

std::string ToCodePage932(std::string_view utf8) {
    return Convert(utf8, "CP932", "UTF-8");
}

std::string FromCodePage932(std::string_view bytes) {
    return Convert(bytes, "UTF-8", "CP932");
}
