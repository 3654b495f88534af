// How a text stands in a list file: code page 932 bytes, one line per file whatever its name.
#pragma once

#include <string>
#include <string_view>

#include "platform/code_page_932.h"

class ListTextEncoder {
  public:
    // False when the C library cannot convert to code page 932: nothing can be written then,
    // for the reason below.
    bool Usable() const { return encoder_.Usable(); }
    static constexpr std::u16string_view kUnusableReason = u"コードページ932に変換できません。";

    // Appends the text's bytes. A character outside the code page becomes one "?" per code point,
    // and so does each control character other than TAB: a line break in a file name would split
    // its line in two and mislead every reader of the list.
    void Append(std::string& out, std::u16string_view text);

  private:
    CodePage932Encoder encoder_;
};
