#include <windows.h>

#include <stdexcept>

#include "platform/path_text.h"
#include "support/processes.h"

namespace {

void Check(bool ok, const char* what) {
    if (!ok)
        throw std::runtime_error(what);
}

std::wstring Wide(const std::string& utf8) {
    const std::u16string wide = NativeToWide(utf8);
    return {wide.begin(), wide.end()};
}

// The argument quoted so that the child's C library splits the command line back into it.
std::wstring Quoted(const std::wstring& argument) {
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t character : argument) {
        if (character == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(character == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted.push_back(character);
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

// A temporary file that the child writes and the parent reads once the child has ended, so
// nothing can stall on a full pipe.
HANDLE TemporaryFile() {
    wchar_t folder[MAX_PATH + 1] = {};
    wchar_t path[MAX_PATH + 1] = {};
    Check(GetTempPathW(MAX_PATH + 1, folder) != 0 && GetTempFileNameW(folder, L"out", 0, path) != 0,
          "no temporary file");
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    const HANDLE file =
        CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, &inherited, CREATE_ALWAYS,
                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    Check(file != INVALID_HANDLE_VALUE, "no temporary file");
    return file;
}

std::string ReadFromStart(HANDLE file) {
    std::string text;
    char chunk[4096];
    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    for (DWORD got = 0; ReadFile(file, chunk, sizeof chunk, &got, nullptr) != 0 && got > 0;)
        text.append(chunk, got);
    CloseHandle(file);
    return text;
}

}  // namespace

CommandResult RunCommand(const std::vector<std::string>& argv,
                         const std::string& workingDirectory) {
    std::wstring commandLine;
    for (const std::string& argument : argv)
        commandLine += (commandLine.empty() ? L"" : L" ") + Quoted(Wide(argument));
    const HANDLE output = TemporaryFile();
    const HANDLE errors = TemporaryFile();
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    const HANDLE input = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     &inherited, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = output;
    startup.hStdError = errors;
    PROCESS_INFORMATION child{};
    const std::wstring folder = Wide(workingDirectory);
    const bool started =
        CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                       nullptr, folder.empty() ? nullptr : folder.c_str(), &startup, &child) != 0;
    CloseHandle(input);
    CommandResult result;
    if (started) {
        WaitForSingleObject(child.hProcess, INFINITE);
        DWORD code = 0;
        GetExitCodeProcess(child.hProcess, &code);
        result.exitStatus = static_cast<int>(code);
        CloseHandle(child.hThread);
        CloseHandle(child.hProcess);
    }
    result.output = ReadFromStart(output);
    result.errors = ReadFromStart(errors);
    return result;
}
