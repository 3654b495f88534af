#include "check/listed_folder.h"

#include <algorithm>
#include <vector>

#include "list/list_text.h"
#include "platform/file_attributes.h"
#include "platform/folder_enumeration.h"
#include "platform/path_text.h"

namespace {

bool IsTakenAsItStands(std::string_view component) {
    return component == "." || component == ".." ||
           std::all_of(component.begin(), component.end(),
                       [](char byte) { return byte >= 0x20 && byte < 0x7F && byte != '?'; });
}

// The names in the folder whose bytes in a list are those of the component.
std::vector<std::u16string> NamesListedAs(const std::u16string& folder, std::string_view component,
                                          ListTextEncoder& encoder) {
    std::vector<std::u16string> names;
    WIN32_FIND_DATAW found;
    const std::u16string pattern = folder + kPathSeparator + u"*.*";
    const HANDLE find = FindFirstFileW(pattern.c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        std::string bytes;
        encoder.Append(bytes, found.cFileName);
        if (bytes == component && found.cFileName != u"." && found.cFileName != u"..")
            names.push_back(found.cFileName);
    } while (FindNextFileW(find, &found));
    FindClose(find);
    return names;
}

}  // namespace

namespace {

// The path reached from `path` by the components of `rest`, separated by the separator; empty
// components are skipped. Each is found as FindListedFolder tells.
ListedFolder Follow(std::u16string path, std::string_view rest, ListTextEncoder& encoder) {
    const auto separator = static_cast<char>(kPathSeparator);
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = std::min(rest.find(separator, start), rest.size());
        const std::string_view component = rest.substr(start, end - start);
        if (component.empty() || IsTakenAsItStands(component)) {
            path.append(component.begin(), component.end());
        } else {
            // A root starting with the separator begins at the top of the file system.
            const std::u16string folder = path.empty() ? u"." : path;
            const std::vector<std::u16string> names = NamesListedAs(folder, component, encoder);
            if (names.size() != 1)
                return {std::nullopt, names.size() > 1};
            path += names.front();
        }
        if (end == rest.size())
            return {path, false};
        if (!path.ends_with(kPathSeparator))
            path += kPathSeparator;
        start = end + 1;
    }
}

}  // namespace

ListedFolder FindListedFolder(std::string_view root) {
    ListTextEncoder encoder;
    return Follow({}, root, encoder);
}

bool FindListedFolderBelow(const std::u16string& folder, std::string_view below) {
    ListTextEncoder encoder;
    const ListedFolder found = Follow(folder, below, encoder);
    if (!found.path)
        return false;
    const DWORD attributes = GetFileAttributesW(found.path->c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}
