#include <windows.h>

#include "platform/code_page_932.h"
#include "platform/utf16.h"

namespace {

constexpr UINT kCodePage = 932;

// Converts the units into out (at least two bytes per unit of room); false when the system had to
// put its default character for any of them. Best-fit look-alikes (an "e" for "é") count as
// unrepresentable too.
bool Convert(std::u16string_view units, std::string& out) {
    const std::size_t at = out.size();
    out.resize(at + units.size() * 2);
    BOOL usedDefault = FALSE;
    const int wrote = WideCharToMultiByte(
        kCodePage, WC_NO_BEST_FIT_CHARS, reinterpret_cast<const wchar_t*>(units.data()),
        static_cast<int>(units.size()), out.data() + at, static_cast<int>(units.size() * 2),
        nullptr, &usedDefault);
    out.resize(at + static_cast<std::size_t>(wrote > 0 ? wrote : 0));
    return wrote > 0 && usedDefault == FALSE;
}

}  // namespace

CodePage932Encoder::CodePage932Encoder() : usable_(IsValidCodePage(kCodePage) != 0) {}

CodePage932Encoder::~CodePage932Encoder() = default;

bool CodePage932Encoder::Usable() const {
    return usable_;
}

bool CodePage932Encoder::OutOfDescriptors() const {
    return false;
}

void CodePage932Encoder::AppendConverted(std::string& out, std::u16string_view run) {
    // Most runs convert whole. The system writes its default character once per code unit, two
    // for a surrogate pair, so a run that needed it is done again a code point at a time.
    const std::size_t at = out.size();
    if (Convert(run, out))
        return;
    out.resize(at);
    for (std::size_t i = 0; i < run.size();) {
        const std::size_t length = IsSurrogatePairAt(run, i) ? 2 : 1;
        const std::size_t before = out.size();
        if (!Convert(run.substr(i, length), out)) {
            out.resize(before);
            out.push_back('?');
        }
        i += length;
    }
}
