#include "report/list_file_name.h"

#include <string_view>

std::u16string MakeListFileName(const std::u16string& root) {
    const std::u16string_view text(root);
    const bool hasDrive = text.size() >= 2 && text[1] == u':';
    const std::u16string_view drive = hasDrive ? text.substr(0, 2) : std::u16string_view();
    std::u16string_view rest = text.substr(drive.size());

    const std::size_t lastSeparator = rest.find_last_of(u"\\/");
    const std::u16string_view lastComponent =
        lastSeparator == std::u16string_view::npos ? rest : rest.substr(lastSeparator + 1);
    const std::size_t lastFullStop = lastComponent.rfind(u'.');
    std::u16string_view base = lastComponent.substr(0, lastFullStop);
    if (base.empty())
        base = drive.substr(0, 1);

    return u"Hashwick_" + std::u16string(base) + u".txt";
}

std::u16string MakeCheckReportName(std::u16string_view listPath, std::u16string_view kind) {
    std::u16string_view base = listPath.substr(listPath.find_last_of(u"\\/") + 1);
    base = base.substr(0, base.rfind(u'.'));
    constexpr std::u16string_view kPrefix = u"Hashwick_";
    if (base.starts_with(kPrefix))
        base.remove_prefix(kPrefix.size());
    return std::u16string(kPrefix) + std::u16string(base) + u"_" + std::u16string(kind) + u".txt";
}
