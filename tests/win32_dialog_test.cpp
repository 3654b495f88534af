// The dialog on the Win32 backend with real windows (Wine's, under Xvfb, in CI), and the program
// as a process.
#include <windows.h>
// After windows.h.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "support/win32_session.h"

namespace {

namespace fs = std::filesystem;

// ui/resource.h and the run's notifications.
constexpr int kFolder = 1000, kStart = 1002, kProcessed = 1004, kTotal = 1005, kCancelRun = 1006,
              kExit = 1007;
constexpr UINT kScanComplete = WM_USER + 0x1000, kProgress = WM_USER + 0x1001;
const std::wstring kIdle = L"ファイルのＭＤ生成", kBusy = L"★Hashwick中★";

struct Scratch {
    explicit Scratch(const char* name)
        : root(fs::temp_directory_path() /
               ("hashwick-" + std::to_string(GetCurrentProcessId()) + "-" + name)) {
        fs::create_directories(root);
    }
    ~Scratch() { fs::remove_all(root); }
    fs::path root;
};

void WriteFile(const fs::path& path, const std::string& bytes, std::uintmax_t size = 0) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
    if (size != 0)
        fs::resize_file(path, size);
}

bool WaitUntil(const std::function<bool()>& condition) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > limit)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// The visible top-level window of the process that holds the control: the main dialog by its
// folder field, a question box by its Yes button.
HWND Shown(int control, DWORD process = GetCurrentProcessId()) {
    HWND found = nullptr;
    const auto visit = [&](HWND window) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == process && IsWindowVisible(window) && GetDlgItem(window, control))
            found = window;
    };
    EnumWindows(
        [](HWND window, LPARAM visitor) {
            (*reinterpret_cast<decltype(visit)*>(visitor))(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&visit));
    return found;
}

std::wstring Text(HWND window, int id = 0) {
    wchar_t text[256] = {};
    if (id == 0) {
        GetWindowTextW(window, text, 256);
    } else {
        GetDlgItemTextW(window, id, text, 256);
    }
    return text;
}

bool Enabled(HWND dialog, int id) {
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

void Click(HWND window, int id) {
    PostMessageW(GetDlgItem(window, id), BM_CLICK, 0, 0);
}

// Answers the question box that opens, titled "確認", with Yes.
void AnswerYes() {
    ASSERT_TRUE(WaitUntil([] { return Shown(IDYES) != nullptr; }));
    EXPECT_EQ(Text(Shown(IDYES)), L"確認");
    Click(Shown(IDYES), IDYES);
    ASSERT_TRUE(WaitUntil([] { return Shown(IDYES) == nullptr; }));
}

// What the screen shows of the windows' client areas, as a bitmap file in the build's
// screenshots folder. Under Xvfb no window manager draws the frames.
void SaveScreenshot(const std::string& name, std::initializer_list<HWND> windows) {
    RECT area{}, client;
    for (HWND window : windows) {
        RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        GetClientRect(window, &client);
        MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
        UnionRect(&area, &area, &client);
    }
    const int width = area.right - area.left, height = area.bottom - area.top;
    const HDC screen = GetDC(nullptr), memory = CreateCompatibleDC(screen);
    const HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    const HGDIOBJ kept = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    SelectObject(memory, kept);
    BITMAPINFOHEADER info{sizeof info, width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    std::string pixels(static_cast<std::size_t>((width * 3 + 3) / 4 * 4 * height), '\0');
    GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(),
              reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    const DWORD offset = sizeof(BITMAPFILEHEADER) + sizeof info;
    const BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(offset + pixels.size()), 0, 0, offset};
    fs::create_directories(HASHWICK_SCREENSHOTS);
    std::ofstream out(fs::path(HASHWICK_SCREENSHOTS) / (name + ".bmp"), std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info), sizeof info);
    out << pixels;
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

// Posts a key's down, character and up messages to the window.
void Key(HWND window, WPARAM key) {
    PostMessageW(window, WM_KEYDOWN, key, 1);
    PostMessageW(window, WM_CHAR, key, 1);
    PostMessageW(window, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001));
}

TEST(Win32Dialog, AUserSessionFromOpeningToExit) {
    Scratch folder("session");
    const fs::path big = folder.root / "big";
    WriteFile(big / "zeros.bin", "", std::uintmax_t{8} << 30);
    fs::current_path(folder.root);
    const int status = RunWithWin32({}, [&] {
        [&] {
            ASSERT_TRUE(WaitUntil([] { return Shown(kFolder) != nullptr; }));
            const HWND dialog = Shown(kFolder);
            EXPECT_EQ(Text(dialog), kIdle);
            EXPECT_TRUE(Enabled(dialog, kStart) && !Enabled(dialog, kCancelRun));
            EXPECT_EQ(Text(dialog, kProcessed) + L"/" + Text(dialog, kTotal), L"0/0");
            EXPECT_NE(SendMessageW(dialog, WM_GETICON, ICON_BIG, 0), 0);
            EXPECT_TRUE(GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST);
            SaveScreenshot("win32-idle", {dialog});

            // The folder typed, with Enter and Escape in the field and on a button: neither ends
            // the dialog, presses a button nor reaches the field.
            const HWND field = GetDlgItem(dialog, kFolder);
            for (wchar_t character : big.wstring()) {
                PostMessageW(field, WM_CHAR, character, 1);
                for (HWND target : {field, GetDlgItem(dialog, kExit)}) {
                    Key(target, VK_RETURN);
                    Key(target, VK_ESCAPE);
                }
            }
            ASSERT_TRUE(WaitUntil([&] { return Text(dialog, kFolder) == big.wstring(); }));
            EXPECT_TRUE(IsWindowVisible(dialog) && Shown(IDYES) == nullptr);

            Click(dialog, kStart);
            ASSERT_TRUE(WaitUntil([] { return Shown(IDYES) != nullptr; }));
            SaveScreenshot("win32-start-question", {dialog, Shown(IDYES)});
            AnswerYes();
            // Hashing the large file, whose count the worker posts when it is done.
            ASSERT_TRUE(WaitUntil([&] {
                return Text(dialog) == kBusy && Text(dialog, kTotal) == L"1" &&
                       !Enabled(dialog, kStart) && Enabled(dialog, kCancelRun);
            }));
            // Counts of Enter's and Escape's codes reach the fields through the filter.
            PostToMainDialog(kScanComplete, 27);
            PostToMainDialog(kProgress, 13);
            EXPECT_TRUE(WaitUntil([&] {
                return Text(dialog, kProcessed) == L"13" && Text(dialog, kTotal) == L"27";
            }));
            SaveScreenshot("win32-busy", {dialog});

            // Cancel stops the run in the middle of the file: the worker's last count is 0.
            Click(dialog, kCancelRun);
            AnswerYes();
            EXPECT_TRUE(WaitUntil([&] {
                return Text(dialog) == kIdle && Enabled(dialog, kStart) &&
                       !Enabled(dialog, kCancelRun) && Text(dialog, kProcessed) == L"0";
            }));
            Click(dialog, kExit);
            AnswerYes();
        }();
        // A script that failed half way closes what it left open.
        while (::testing::Test::HasFailure() && Shown(kFolder) != nullptr) {
            if (Shown(IDYES) != nullptr)
                Click(Shown(IDYES), IDNO);
            PostMessageW(Shown(kFolder), WM_CLOSE, 0, 0);
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    });
    EXPECT_EQ(status, 0);
    fs::current_path(fs::temp_directory_path());
}

// A folder on the command line: the window shows the run and closes by itself once the list is
// written, and the program ends with status 0.
TEST(Win32Program, AFolderArgumentWritesTheListAndEndsWithStatusZero) {
    Scratch folder("program");
    WriteFile(folder.root / "docs" / "a.txt", "abc");
    WriteFile(folder.root / "docs" / "zeros.bin", "", std::uintmax_t{1} << 30);
    std::wstring command = L"hashwick.exe \"" + (folder.root / "docs").wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessW(L"" HASHWICK_BINARY, command.data(), nullptr, nullptr, FALSE, 0,
                               nullptr, folder.root.c_str(), &startup, &process));
    bool windowShown = false;
    while (WaitForSingleObject(process.hProcess, 10) == WAIT_TIMEOUT)
        windowShown = windowShown || Shown(kFolder, process.dwProcessId) != nullptr;
    DWORD status = 1;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EXPECT_TRUE(windowShown);
    EXPECT_EQ(status, 0u);
    std::ifstream list(folder.root / "Hashwick_docs.txt", std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(list), {}};
    EXPECT_NE(text.find("\\docs\\a.txt\t900150983cd24fb0d6963f7d28e17f72\r\n"), std::string::npos)
        << text;
}

}  // namespace
