#include "platform/folder_path.h"

#include "platform/path_text.h"

std::u16string WithoutTrailingSeparators(std::u16string_view path) {
#ifdef _WIN32
    const auto isSeparator = [](char16_t unit) { return unit == u'\\' || unit == u'/'; };
    // "C:\" keeps its separator, as "\" does.
    const std::size_t kept = path.size() >= 3 && path[1] == u':' && isSeparator(path[2]) ? 3 : 1;
#else
    const auto isSeparator = [](char16_t unit) { return unit == kPathSeparator; };
    const std::size_t kept = 1;
#endif
    std::size_t end = path.size();
    while (end > kept && isSeparator(path[end - 1]))
        --end;
    return std::u16string(path.substr(0, end));
}
