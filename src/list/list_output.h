// The lines of a file written as a list is: code page 932, CR LF after every line, converted as
// they come and handed to the file in large pieces.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "list/list_text.h"
#include "platform/replacement_file.h"

class ListOutput {
  public:
    explicit ListOutput(ReplacementFile& file) : file_(file) {}

    // False when nothing can be converted, and so nothing written.
    bool Usable() const { return encoder_.Usable(); }
    std::u16string_view UnusableReason() const { return encoder_.UnusableReason(); }

    // Adds to the line under way: text as the list converts it, bytes that are code page 932
    // already (a list's own) as they are.
    ListOutput& Text(std::u16string_view text);
    ListOutput& Bytes(std::string_view bytes);
    ListOutput& EndLine();
    void Line(std::initializer_list<std::u16string_view> parts);

    // Hands what is left to the file.
    void Flush();

  private:
    ReplacementFile& file_;
    ListTextEncoder encoder_;
    std::string bytes_;
};
