#include "list/list_text.h"

#include <algorithm>

namespace {

// The control characters but TAB: C0 and DEL.
bool IsLineBreaking(char16_t unit) {
    return (unit < 0x20 && unit != u'\t') || unit == 0x7F;
}

}  // namespace

void ListTextEncoder::Append(std::string& out, std::u16string_view text) {
    if (std::none_of(text.begin(), text.end(), IsLineBreaking)) {
        encoder_.Append(out, text);
        return;
    }
    std::u16string shown(text);
    std::replace_if(shown.begin(), shown.end(), IsLineBreaking, u'?');
    encoder_.Append(out, shown);
}
