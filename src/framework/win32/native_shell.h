// The system's message boxes, folder chooser and opener of documents, for the backend and its
// views. Owners are real windows, or null for none.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

struct HWND__;

// MessageBoxW, modal to the owner. The type is MessageBoxW's (the framework's values are the
// same); returns IDOK, IDYES or IDNO.
int ShowMessageBox(HWND__* owner, const std::u16string& text, const std::u16string& caption,
                   unsigned type);

// The shell's folder browser with a field for typing a name, modal to the owner. The chosen
// folder's path, empty for a chosen item that is no file-system folder, or nothing when the
// browser was cancelled.
std::optional<std::u16string> ChooseFolder(HWND__* owner, const std::u16string& title);

// ShellExecuteW with the verb "open": above 32 once the shell has been asked.
std::intptr_t OpenWithDefaultHandler(const std::u16string& path);
