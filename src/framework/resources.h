// Resources of a module: dialog templates and icons, looked up by identifier.
#pragma once

#include <span>
#include <vector>

#include "framework/afx_types.h"

// Window styles, as dialog templates give them.
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_CHILD = 0x40000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_CAPTION = 0x00C00000;
constexpr DWORD WS_BORDER = 0x00800000;
constexpr DWORD WS_SYSMENU = 0x00080000;
constexpr DWORD WS_GROUP = 0x00020000;
constexpr DWORD WS_MINIMIZEBOX = 0x00020000;
constexpr DWORD WS_TABSTOP = 0x00010000;
constexpr DWORD DS_SYSMODAL = 0x02;
constexpr DWORD DS_SETFONT = 0x40;
constexpr DWORD DS_MODALFRAME = 0x80;
constexpr DWORD WS_EX_DLGMODALFRAME = 0x01;
constexpr DWORD WS_EX_APPWINDOW = 0x40000;
constexpr DWORD ES_LEFT = 0x0000;
constexpr DWORD ES_RIGHT = 0x0002;
constexpr DWORD ES_AUTOHSCROLL = 0x0080;
constexpr DWORD ES_READONLY = 0x0800;
constexpr DWORD BS_PUSHBUTTON = 0x0000;
constexpr DWORD SS_LEFT = 0x0000;

enum class ControlClass { Edit, Button, Static };

// One control of a dialog template; its rectangle is in dialog units.
struct DialogItemTemplate {
    int id;
    ControlClass controlClass;
    const char16_t* text;
    DWORD style;
    DWORD exStyle;
    RECT rect;  // left, top, right = left + width, bottom = top + height
};

struct DialogTemplate {
    const char16_t* caption;
    RECT rect;  // dialog units; (0, 0) at the top left centres the window
    const char16_t* fontName;
    int pointSize;
    DWORD style;
    DWORD exStyle;
    std::vector<DialogItemTemplate> items;  // template order is tab order
};

struct IconImage {
    int size;  // pixels, square
    std::span<const unsigned char> png;
};

// The string that names the application, in captions and box titles.
constexpr UINT AFX_IDS_APP_TITLE = 0xE000;

struct ResourceModule {
    std::vector<std::pair<UINT, const DialogTemplate*>> dialogs;
    std::vector<std::pair<UINT, std::vector<IconImage>>> icons;
    std::vector<std::pair<UINT, const char16_t*>> strings;

    const DialogTemplate* FindDialog(UINT id) const;
    const std::vector<IconImage>* FindIcon(UINT id) const;
    // Empty when the module has no such string.
    CString FindString(UINT id) const;
};

// The icon handle of a resource identifier, and back.
HICON IconHandle(UINT id);
UINT IconResourceId(HICON icon);
