#include "framework/resources.h"

const DialogTemplate* ResourceModule::FindDialog(UINT id) const {
    for (const auto& [dialogId, resource] : dialogs) {
        if (dialogId == id)
            return resource;
    }
    return nullptr;
}

const std::vector<IconImage>* ResourceModule::FindIcon(UINT id) const {
    for (const auto& [iconId, images] : icons) {
        if (iconId == id)
            return &images;
    }
    return nullptr;
}

CString ResourceModule::FindString(UINT id) const {
    for (const auto& [stringId, text] : strings) {
        if (stringId == id)
            return text;
    }
    return {};
}

HICON IconHandle(UINT id) {
    return reinterpret_cast<HICON>(static_cast<std::uintptr_t>(id));
}

UINT IconResourceId(HICON icon) {
    return static_cast<UINT>(reinterpret_cast<std::uintptr_t>(icon));
}
