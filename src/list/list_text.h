// How a text stands in a list file: code page 932 bytes, one line per file whatever its name.
#pragma once

#include <string>
#include <string_view>

#include "platform/code_page_932.h"

// Whether the byte begins a character of two bytes in code page 932, whose second byte may be
// that of a backslash ("表" is 0x95 0x5C) or of a letter: such a text is read character by
// character.
constexpr bool IsCodePage932LeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

class ListTextEncoder {
  public:
    // False when the C library cannot convert to code page 932: nothing can be written then,
    // for the reason below.
    bool Usable() const { return encoder_.Usable(); }
    static constexpr std::u16string_view kUnusableReason = u"コードページ932に変換できません。";
    // Why the encoder is unusable: the table missing, or no file descriptor left to load it.
    std::u16string_view UnusableReason() const {
        return encoder_.OutOfDescriptors()
                   ? u"開いているファイルが多すぎるため、コードページ932の変換表を読み込めません。"
                   : kUnusableReason;
    }

    // Appends the text's bytes. A character outside the code page becomes one "?" per code point,
    // and so does each control character other than TAB (DEL too): a line break in a file name
    // would split its line in two and mislead every reader of the list.
    void Append(std::string& out, std::u16string_view text);

  private:
    CodePage932Encoder encoder_;
};
