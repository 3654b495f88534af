#include "list/list_output.h"

namespace {

constexpr std::size_t kFlushSize = 64 * 1024;

}  // namespace

ListOutput& ListOutput::Text(std::u16string_view text) {
    encoder_.Append(bytes_, text);
    return *this;
}

ListOutput& ListOutput::Bytes(std::string_view bytes) {
    bytes_.append(bytes);
    return *this;
}

ListOutput& ListOutput::EndLine() {
    bytes_.append("\r\n");
    if (bytes_.size() >= kFlushSize)
        Flush();
    return *this;
}

void ListOutput::Line(std::initializer_list<std::u16string_view> parts) {
    for (std::u16string_view part : parts)
        Text(part);
    EndLine();
}

void ListOutput::Flush() {
    file_.Write(bytes_);
    bytes_.clear();
}
