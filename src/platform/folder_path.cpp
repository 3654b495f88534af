#include "platform/folder_path.h"

#include "platform/path_text.h"

namespace {

#ifdef _WIN32
constexpr std::u16string_view kSeparators = u"\\/";
#else
constexpr std::u16string_view kSeparators = u"/";
#endif

}  // namespace

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

std::u16string FolderOfFile(std::u16string_view path) {
    const std::size_t last = path.find_last_of(kSeparators);
    if (last != std::u16string_view::npos)
        return WithoutTrailingSeparators(path.substr(0, last + 1));
#ifdef _WIN32
    if (path.size() >= 2 && path[1] == u':')
        return std::u16string(path.substr(0, 2)) + u".";
#endif
    return u".";
}
