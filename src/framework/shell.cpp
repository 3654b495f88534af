#include "framework/shell.h"

#include <algorithm>
#include <string>

#include "framework/backend.h"
#include "framework/wnd.h"

struct ITEMIDLIST {
    CString path;
};

namespace {

struct DroppedFiles {
    std::vector<CString> paths;
};

}  // namespace

PIDLIST_ABSOLUTE SHBrowseForFolderW(BROWSEINFOW* info) {
    const CWnd* owner = CWnd::FromHandlePermanent(info->hwndOwner);
    DialogView* view = owner != nullptr ? owner->View() : nullptr;
    if (view == nullptr)
        return nullptr;
    const std::optional<CString> chosen =
        view->BrowseForFolder(info->lpszTitle != nullptr ? info->lpszTitle : u"");
    return chosen ? new ITEMIDLIST{*chosen} : nullptr;
}

BOOL SHGetPathFromIDListW(PIDLIST_ABSOLUTE item, char16_t* path) {
    if (item == nullptr || item->path.size() >= MAX_PATH)
        return FALSE;
    std::char_traits<char16_t>::copy(path, item->path.c_str(), item->path.size() + 1);
    return TRUE;
}

void CoTaskMemFree(void* memory) {
    delete static_cast<ITEMIDLIST*>(memory);
}

UINT DragQueryFileW(HDROP drop, UINT index, char16_t* file, UINT size) {
    const auto& paths = reinterpret_cast<const DroppedFiles*>(drop)->paths;
    if (index == 0xFFFFFFFF)
        return static_cast<UINT>(paths.size());
    if (index >= paths.size())
        return 0;
    const CString& path = paths[index];
    if (file == nullptr || size == 0)
        return static_cast<UINT>(path.size());
    const std::size_t copied = std::min<std::size_t>(path.size(), size - 1);
    std::char_traits<char16_t>::copy(file, path.c_str(), copied);
    file[copied] = u'\0';
    return static_cast<UINT>(copied);
}

void DragFinish(HDROP drop) {
    delete reinterpret_cast<DroppedFiles*>(drop);
}

bool AfxDropFiles(CWnd& window, std::vector<CString> paths) {
    if (!window.AcceptsFiles() || !window.IsWindowEnabled() || paths.empty())
        return false;
    auto* drop = new DroppedFiles{std::move(paths)};
    window.SendMessage(WM_DROPFILES, reinterpret_cast<WPARAM>(drop));
    return true;
}

INT_PTR ShellExecuteW(HWND, const char16_t* verb, const char16_t* file, const char16_t*,
                      const char16_t*, int) {
    if (verb == nullptr || std::u16string_view(verb) != u"open" || file == nullptr)
        return 0;
    return AfxGetBackend().OpenDocument(file);
}

CString ShellExecuteErrorText(INT_PTR result) {
    switch (result) {
        case SE_ERR_FNF:
            return u"ファイルが見つかりません。";
        case SE_ERR_NOASSOC:
            return u"このファイルを開くプログラムが見つかりません。";
        default:
            return u"ファイルを開く要求を出せませんでした。";
    }
}
