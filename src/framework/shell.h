// The desktop's folder chooser, its opener of documents, and files dropped on a window.
#pragma once

#include <vector>

#include "framework/afx_types.h"

class CWnd;

constexpr UINT BIF_EDITBOX = 0x10;

struct ITEMIDLIST;
using PIDLIST_ABSOLUTE = ITEMIDLIST*;

struct BROWSEINFOW {
    HWND hwndOwner = nullptr;
    PIDLIST_ABSOLUTE pidlRoot = nullptr;
    char16_t* pszDisplayName = nullptr;
    const char16_t* lpszTitle = nullptr;
    UINT ulFlags = 0;
    void* lpfn = nullptr;
    LPARAM lParam = 0;
    int iImage = 0;
};

// Runs the folder chooser modal to the owner; the chosen item, or null when it was cancelled.
// The item is freed with CoTaskMemFree. The chooser always has a field for typing a name.
PIDLIST_ABSOLUTE SHBrowseForFolderW(BROWSEINFOW* info);
// Copies the item's path into a buffer of MAX_PATH characters; FALSE when it does not fit.
BOOL SHGetPathFromIDListW(PIDLIST_ABSOLUTE item, char16_t* path);
void CoTaskMemFree(void* memory);

// The paths of a drop that WM_DROPFILES delivered. With the index 0xFFFFFFFF: how many there
// are. Otherwise, without a buffer, the length of that path without its NUL; given a buffer of
// size characters, the path is copied into it with its NUL, cut to fit, and the characters copied
// are counted.
UINT DragQueryFileW(HDROP drop, UINT index, char16_t* file, UINT size);
// Frees the drop once the window has read it.
void DragFinish(HDROP drop);

// For backends: hands the paths of files and folders dropped on the window to it in
// WM_DROPFILES. False, and nothing sent, when the window does not accept dropped files or takes
// no input now (a box of it is open).
bool AfxDropFiles(CWnd& window, std::vector<CString> paths);

// ShellExecuteW's results: above 32 when the request was made, otherwise why it was not.
constexpr INT_PTR SE_ERR_FNF = 2;       // the file does not exist
constexpr INT_PTR SE_ERR_NOASSOC = 31;  // nothing here opens the file
constexpr INT_PTR SE_REQUEST_MADE = 33;

// With the verb "open": opens the file with the desktop's default handler.
INT_PTR ShellExecuteW(HWND window, const char16_t* verb, const char16_t* file,
                      const char16_t* parameters, const char16_t* directory, int show);
// Why ShellExecuteW failed, as a short text for the user.
CString ShellExecuteErrorText(INT_PTR result);
