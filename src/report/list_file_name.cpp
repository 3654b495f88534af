#include "report/list_file_name.h"

#include <string_view>

#include "platform/folder_path.h"

namespace {

struct RootParts {
    std::u16string_view drive;          // "C:", or empty
    std::u16string_view lastComponent;  // after the last separator
};

RootParts Split(std::u16string_view root) {
    const bool hasDrive = root.size() >= 2 && root[1] == u':';
    const std::u16string_view drive = hasDrive ? root.substr(0, 2) : std::u16string_view();
    const std::u16string_view rest = root.substr(drive.size());
    const std::size_t lastSeparator = rest.find_last_of(u"\\/");
    return {drive,
            lastSeparator == std::u16string_view::npos ? rest : rest.substr(lastSeparator + 1)};
}

std::u16string NameOf(std::u16string_view root) {
    const RootParts parts = Split(root);
    const std::size_t lastFullStop = parts.lastComponent.rfind(u'.');
    std::u16string_view base = parts.lastComponent.substr(0, lastFullStop);
    if (base.empty())
        base = parts.drive.substr(0, 1);
    return u"Hashwick_" + std::u16string(base) + u".txt";
}

}  // namespace

std::u16string MakeListFileName(const std::u16string& root) {
    const std::u16string_view last = Split(root).lastComponent;
    // "." and ".." tell where the folder lies, not what it is called.
    if (last == u"." || last == u"..")
        return NameOf(ResolvedFolderPath(root));
    return NameOf(root);
}

std::u16string MakeCheckReportName(std::u16string_view listPath, std::u16string_view kind) {
    std::u16string_view base = listPath.substr(listPath.find_last_of(u"\\/") + 1);
    base = base.substr(0, base.rfind(u'.'));
    constexpr std::u16string_view kPrefix = u"Hashwick_";
    if (base.starts_with(kPrefix))
        base.remove_prefix(kPrefix.size());
    return std::u16string(kPrefix) + std::u16string(base) + u"_" + std::u16string(kind) + u".txt";
}
