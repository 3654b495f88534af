// The framework's own value types and constants, named as the dialog framework names them.
#pragma once

#include <cstdint>
#include <string>

#include "framework/window_messages.h"
#include "platform/path_text.h"
#include "platform/win_types.h"

// The framework's wide string.
using CString = std::u16string;

using INT_PTR = std::intptr_t;
using LPVOID = void*;

struct HICON__;
using HICON = HICON__*;  // names an icon resource
using HCURSOR = HICON;
struct HDC__;
using HDC = HDC__*;
struct HDROP__;
using HDROP = HDROP__*;  // names the paths of one drop
struct ResourceModule;
using HINSTANCE = const ResourceModule*;

struct RECT {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

// A path buffer's length in characters, its NUL included: 260 on Windows, longer on Linux.
constexpr std::size_t MAX_PATH = kMaxPathLength;

// Dialog results and command identifiers.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;  // also: the dialog ended because nothing could operate it any more
constexpr int IDYES = 6;
constexpr int IDNO = 7;
constexpr int IDC_STATIC = -1;
constexpr UINT ID_HELP = 0xE146;

// Message box styles.
constexpr UINT MB_OK = 0x00;
constexpr UINT MB_YESNO = 0x04;
constexpr UINT MB_ICONERROR = 0x10;
constexpr UINT MB_ICONQUESTION = 0x20;
constexpr UINT MB_TYPEMASK = 0x0F;
constexpr UINT MB_ICONMASK = 0xF0;

// Button notification code carried in the high word of a WM_COMMAND's wParam.
constexpr UINT BN_CLICKED = 0;

// Mouse key flags of a mouse message's wParam.
constexpr WPARAM MK_LBUTTON = 0x01;
constexpr WPARAM MK_SHIFT = 0x04;
constexpr WPARAM MK_CONTROL = 0x08;

constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;

constexpr int SM_CXICON = 11;
constexpr int SM_CYICON = 12;

constexpr int SW_SHOWNORMAL = 1;

inline WPARAM MAKEWPARAM(UINT low, UINT high) {
    return (WPARAM{high} << 16) | (low & 0xFFFF);
}
inline UINT LOWORD(WPARAM value) {
    return static_cast<UINT>(value & 0xFFFF);
}
inline UINT HIWORD(WPARAM value) {
    return static_cast<UINT>((value >> 16) & 0xFFFF);
}
