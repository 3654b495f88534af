// Declarative message maps: each class lists the messages and commands it handles, with its base
// class's map behind it. A handler entry is a plain function that calls the member on the object.
#pragma once

#include "framework/afx_types.h"

class CCmdTarget;

using AFX_PMSG = LRESULT (*)(CCmdTarget& target, WPARAM wParam, LPARAM lParam);

struct AFX_MSGMAP_ENTRY {
    UINT message;  // 0 ends the table
    UINT code;     // for WM_COMMAND: the notification code
    UINT id;       // for WM_COMMAND: the control or command identifier
    AFX_PMSG handler;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

// The entry of a message map that matches the message, searching the class's own map first and
// then its bases'; null when none does.
const AFX_MSGMAP_ENTRY* AfxFindMessageEntry(const AFX_MSGMAP* map, UINT message, WPARAM wParam);

namespace afx {

template <class T, auto Member>
LRESULT VoidHandler(CCmdTarget& target, WPARAM, LPARAM) {
    (static_cast<T&>(target).*Member)();
    return 0;
}

template <class T, auto Member>
LRESULT MessageHandler(CCmdTarget& target, WPARAM wParam, LPARAM lParam) {
    return (static_cast<T&>(target).*Member)(wParam, lParam);
}

template <class T, auto Member>
LRESULT DropHandler(CCmdTarget& target, WPARAM wParam, LPARAM) {
    (static_cast<T&>(target).*Member)(reinterpret_cast<HDROP>(wParam));
    return 0;
}

template <class T, auto Member>
LRESULT HandleHandler(CCmdTarget& target, WPARAM, LPARAM) {
    return reinterpret_cast<LRESULT>((static_cast<T&>(target).*Member)());
}

}  // namespace afx

#define DECLARE_MESSAGE_MAP()                     \
  protected:                                      \
    static const AFX_MSGMAP* GetThisMessageMap(); \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)          \
    const AFX_MSGMAP* theClass::GetMessageMap() const { \
        return GetThisMessageMap();                     \
    }                                                   \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {   \
        using ThisClass = theClass;                     \
        using TheBaseClass = baseClass;                 \
        static const AFX_MSGMAP_ENTRY entries[] = {
#define END_MESSAGE_MAP()                                                             \
    { 0, 0, 0, nullptr }                                                              \
    }                                                                                 \
    ;                                                                                 \
    static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, entries}; \
    return &messageMap;                                                               \
    }

#define ON_WM_PAINT() {WM_PAINT, 0, 0, &afx::VoidHandler<ThisClass, &ThisClass::OnPaint>},
#define ON_WM_CLOSE() {WM_CLOSE, 0, 0, &afx::VoidHandler<ThisClass, &ThisClass::OnClose>},
#define ON_WM_QUERYDRAGICON() \
    {WM_QUERYDRAGICON, 0, 0, &afx::HandleHandler<ThisClass, &ThisClass::OnQueryDragIcon>},
#define ON_WM_DROPFILES() \
    {WM_DROPFILES, 0, 0, &afx::DropHandler<ThisClass, &ThisClass::OnDropFiles>},
#define ON_COMMAND(id, memberFxn) {WM_COMMAND, 0, (id), &afx::VoidHandler<ThisClass, memberFxn>},
#define ON_BN_CLICKED(id, memberFxn) \
    {WM_COMMAND, BN_CLICKED, (id), &afx::VoidHandler<ThisClass, memberFxn>},
#define ON_MESSAGE(message, memberFxn) \
    {(message), 0, 0, &afx::MessageHandler<ThisClass, memberFxn>},
