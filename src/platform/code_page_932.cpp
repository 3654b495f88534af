#include "platform/code_page_932.h"

void CodePage932Encoder::Append(std::string& out, std::u16string_view text) {
    if (!Usable())
        return;
    // ASCII is the same single byte in code page 932, and most paths are ASCII.
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t runStart = i;
        while (i < text.size() && text[i] < 0x80)
            ++i;
        for (std::size_t k = runStart; k < i; ++k)
            out.push_back(static_cast<char>(text[k]));
        const std::size_t wideStart = i;
        while (i < text.size() && text[i] >= 0x80)
            ++i;
        if (i > wideStart)
            AppendConverted(out, text.substr(wideStart, i - wideStart));
    }
}
