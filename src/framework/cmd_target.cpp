#include "framework/cmd_target.h"

#include "framework/backend.h"

const AFX_MSGMAP_ENTRY* AfxFindMessageEntry(const AFX_MSGMAP* map, UINT message, WPARAM wParam) {
    for (; map != nullptr; map = map->pfnGetBaseMap != nullptr ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* entry = map->lpEntries; entry->message != 0; ++entry) {
            if (entry->message != message)
                continue;
            if (message == WM_COMMAND &&
                (entry->code != HIWORD(wParam) || entry->id != LOWORD(wParam))) {
                continue;
            }
            return entry;
        }
    }
    return nullptr;
}

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, nullptr}};
    static const AFX_MSGMAP messageMap = {nullptr, entries};
    return &messageMap;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const {
    return GetThisMessageMap();
}

BOOL CCmdTarget::DispatchThroughMap(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    const AFX_MSGMAP_ENTRY* entry = AfxFindMessageEntry(GetMessageMap(), message, wParam);
    if (entry == nullptr)
        return FALSE;
    *result = entry->handler(*this, wParam, lParam);
    return TRUE;
}

BOOL CCmdTarget::OnCmdMsg(WPARAM wParam, LPARAM lParam) {
    LRESULT ignored = 0;
    return DispatchThroughMap(WM_COMMAND, wParam, lParam, &ignored);
}

void CCmdTarget::BeginWaitCursor() {
    AfxGetBackend().SetWaitCursor(true);
}

void CCmdTarget::EndWaitCursor() {
    AfxGetBackend().SetWaitCursor(false);
}
