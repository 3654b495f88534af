// The program's dialog on the Win32 backend, its real windows (Wine's, under Xvfb, in CI) driven
// through their message queues and the keyboard from this process, as another program could,
// and in this process where the test needs the dialog's memory.
#include <windows.h>
// After windows.h.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <fstream>
#include <functional>
#include <limits>
#include <optional>
#include <thread>
#include <vector>

#include "support/dropped_files.h"
#include "support/processes.h"
#include "support/scratch_folder.h"
#include "support/texts.h"
#include "support/win32_session.h"
#include "ui/resource.h"

namespace {

// The run's notifications, as digest/worker.h numbers them (its framework types clash with
// windows.h).
constexpr UINT kScanComplete = WM_USER + 0x1000, kProgress = WM_USER + 0x1001;

std::wstring Windows(const std::u16string& text) {
    return std::wstring(text.begin(), text.end());
}

const std::wstring kIdle = Windows(kIdleCaption), kBusy = Windows(kBusyCaption);

bool WaitUntil(const std::function<bool()>& condition) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (!condition() && std::chrono::steady_clock::now() < limit)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return condition();
}

// The visible top-level window that holds the control: the main dialog by its folder field, a
// question box by its Yes button.
HWND Shown(int control) {
    std::pair<int, HWND> search{control, nullptr};
    EnumWindows(
        [](HWND window, LPARAM data) {
            auto& [id, found] = *reinterpret_cast<std::pair<int, HWND>*>(data);
            if (IsWindowVisible(window) && GetDlgItem(window, id) != nullptr)
                found = window;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.second;
}

// The caption, or a control's text, also of another process's window.
std::wstring Text(HWND window, int id = 0) {
    wchar_t text[256] = {};
    SendMessageW(id == 0 ? window : GetDlgItem(window, id), WM_GETTEXT, 256,
                 reinterpret_cast<LPARAM>(text));
    return text;
}

bool Enabled(HWND dialog, int id) {
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

void Click(HWND window, int id) {
    PostMessageW(GetDlgItem(window, id), BM_CLICK, 0, 0);
}

void Key(HWND window, WPARAM key) {
    PostMessageW(window, WM_KEYDOWN, key, 1);
    PostMessageW(window, WM_CHAR, key, 1);
    PostMessageW(window, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001));
}

// A key pressed and let go on the keyboard: Windows hands it to the control with the focus.
void Press(WORD key) {
    INPUT strokes[2] = {};
    for (INPUT& stroke : strokes) {
        stroke.type = INPUT_KEYBOARD;
        stroke.ki.wVk = key;
    }
    strokes[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, strokes, sizeof(INPUT));
}

// The control of the window that has the keyboard focus, also in another process.
int Focused(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus != nullptr && GetParent(info.hwndFocus) == window
               ? GetDlgCtrlID(info.hwndFocus)
               : 0;
}

// Answers the question box, titled "確認", with Yes.
void AnswerYes() {
    ASSERT_TRUE(WaitUntil([] { return Shown(IDYES) != nullptr; }));
    EXPECT_EQ(Text(Shown(IDYES)), L"確認");
    Click(Shown(IDYES), IDYES);
    ASSERT_TRUE(WaitUntil([] { return Shown(IDYES) == nullptr; }));
}

// The screen over the windows' client areas (no window manager draws frames under Xvfb), as a
// bitmap file in the build's screenshots folder.
void SaveScreenshot(const std::string& name, std::initializer_list<HWND> windows) {
    RECT area{}, client;
    for (HWND window : windows) {
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        GetClientRect(window, &client);
        MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
        UnionRect(&area, &area, &client);
    }
    // The windows are another process's: they paint when their own thread gets to it.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const int width = area.right - area.left, height = area.bottom - area.top;
    BITMAPINFO info{{sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0}, {}};
    void* pixels = nullptr;
    const HDC screen = GetDC(nullptr), memory = CreateCompatibleDC(screen);
    const HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    const HGDIOBJ kept = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    GdiFlush();
    const DWORD size = static_cast<DWORD>((width * 3 + 3) / 4 * 4 * height),
                offset = sizeof(BITMAPFILEHEADER) + sizeof info.bmiHeader;
    const BITMAPFILEHEADER file{0x4D42, offset + size, 0, 0, offset};
    CreateDirectoryW(L"" HASHWICK_SCREENSHOTS, nullptr);
    std::ofstream out(HASHWICK_SCREENSHOTS "/" + name + ".bmp", std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file)
        .write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
    out.write(static_cast<const char*>(pixels), size);
    SelectObject(memory, kept);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

TEST(Win32Dialog, AUserSessionFromOpeningToExit) {
    ScratchFolder folder;
    folder.WriteFile("big/zeros.bin", "");
    std::filesystem::resize_file(Windows(folder.Wide("big/zeros.bin")), std::uintmax_t{8} << 30);
    const std::wstring big = Windows(folder.Wide("big"));
    std::optional<CommandResult> result;
    std::thread program([&] { result = RunCommand({HASHWICK_BINARY}, folder.Root()); });
    [&] {
        ASSERT_TRUE(WaitUntil([] { return Shown(IDC_FOLDER) != nullptr; }));
        const HWND dialog = Shown(IDC_FOLDER);
        EXPECT_EQ(Text(dialog), kIdle);
        EXPECT_TRUE(Enabled(dialog, IDC_START) && !Enabled(dialog, IDC_CANCEL_RUN));
        EXPECT_EQ(Text(dialog, IDC_PROCESSED) + L"/" + Text(dialog, IDC_TOTAL), L"0/0");
        // The program holds the icon the dialog loads, IDI_APP_ICON; Wine gives no
        // WM_GETICON answer for another process's window.
        const HMODULE executable =
            LoadLibraryExW(L"" HASHWICK_BINARY, nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        EXPECT_NE(LoadImageW(executable, MAKEINTRESOURCEW(IDI_APP_ICON), IMAGE_ICON, 48, 48, 0),
                  nullptr);
        EXPECT_TRUE(GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST);
        SaveScreenshot("win32-idle", {dialog});

        // The folder typed, with Enter and Escape in the field and on a button: neither ends
        // the dialog, presses a button nor reaches the field.
        const HWND field = GetDlgItem(dialog, IDC_FOLDER);
        for (wchar_t character : big) {
            PostMessageW(field, WM_CHAR, character, 1);
            for (HWND target : {field, GetDlgItem(dialog, IDC_EXIT)}) {
                Key(target, VK_RETURN);
                Key(target, VK_ESCAPE);
            }
        }
        ASSERT_TRUE(WaitUntil([&] { return Text(dialog, IDC_FOLDER) == big; }));
        EXPECT_TRUE(IsWindowVisible(dialog) && Shown(IDYES) == nullptr);

        Click(dialog, IDC_START);
        ASSERT_TRUE(WaitUntil([] { return Shown(IDYES) != nullptr; }));
        SaveScreenshot("win32-start-question", {dialog, Shown(IDYES)});
        AnswerYes();
        // Hashing the large file, whose count the worker posts when it is done.
        ASSERT_TRUE(WaitUntil([&] {
            return Text(dialog) == kBusy && Text(dialog, IDC_TOTAL) == L"1" &&
                   !Enabled(dialog, IDC_START) && Enabled(dialog, IDC_CANCEL_RUN);
        }));
        // The start button, disabled, handed the focus on; Tab goes on to Cancel.
        EXPECT_TRUE(WaitUntil([&] { return Focused(dialog) == IDC_SHOW_RESULT; }));
        Press(VK_TAB);
        EXPECT_TRUE(WaitUntil([&] { return Focused(dialog) == IDC_CANCEL_RUN; }));
        // Counts of Enter's and Escape's codes pass the filter. They are posted until shown: the
        // worker's own count before the file may arrive after the first ones.
        EXPECT_TRUE(WaitUntil([&] {
            PostMessageW(dialog, kScanComplete, 27, 0);
            PostMessageW(dialog, kProgress, 13, 0);
            return Text(dialog, IDC_PROCESSED) == L"13" && Text(dialog, IDC_TOTAL) == L"27";
        }));
        SaveScreenshot("win32-busy", {dialog});

        // Cancel, from the keyboard, stops the run in the middle of the file: the worker's last
        // count is 0. Cancel, disabled, hands the focus on to Exit.
        Press(VK_SPACE);
        AnswerYes();
        EXPECT_TRUE(WaitUntil([&] {
            return Text(dialog) == kIdle && Enabled(dialog, IDC_START) &&
                   !Enabled(dialog, IDC_CANCEL_RUN) && Text(dialog, IDC_PROCESSED) == L"0";
        }));
        EXPECT_TRUE(WaitUntil([&] { return Focused(dialog) == IDC_EXIT; }));
        SaveScreenshot("win32-cancelled", {dialog});

        // A run that ends while the question of Cancel is open: Cancel, disabled meanwhile, does
        // not get the focus back; it goes on to Exit.
        Click(dialog, IDC_START);
        AnswerYes();
        ASSERT_TRUE(
            WaitUntil([&] { return Text(dialog) == kBusy && Text(dialog, IDC_TOTAL) == L"1"; }));
        Click(dialog, IDC_CANCEL_RUN);
        ASSERT_TRUE(WaitUntil([] { return Shown(IDYES) != nullptr; }));
        PostMessageW(dialog, kProgress, 1, 0);
        ASSERT_TRUE(WaitUntil([&] { return Text(dialog) == kIdle; }));
        AnswerYes();
        EXPECT_TRUE(WaitUntil([&] { return Focused(dialog) == IDC_EXIT; }));
        Click(dialog, IDC_EXIT);
        AnswerYes();
    }();
    // A script that failed half way closes what it left open.
    while (::testing::Test::HasFailure() && Shown(IDC_FOLDER) != nullptr) {
        Click(Shown(IDYES), IDNO);
        PostMessageW(Shown(IDC_FOLDER), WM_CLOSE, 0, 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    program.join();
    EXPECT_EQ(result->exitStatus, 0) << result->errors;
}

// The columns that ink spans in a drawing of the size, on the background that its top left
// pixel shows.
int InkWidth(int width, int height, const std::function<void(HDC)>& draw) {
    const HDC screen = GetDC(nullptr), memory = CreateCompatibleDC(screen);
    const HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    const HGDIOBJ kept = SelectObject(memory, bitmap);
    PatBlt(memory, 0, 0, width, height, WHITENESS);
    draw(memory);
    const COLORREF background = GetPixel(memory, 0, 0);
    int left = width, right = -1;
    for (int x = 0; x < width; ++x) {
        for (int y = 0; y < height; ++y) {
            if (GetPixel(memory, x, y) != background) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    }
    SelectObject(memory, kept);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return right - left + 1;
}

// The ink of a field's text as the field draws it, and of the same text in the field's font
// where nothing cuts it off.
std::pair<int, int> ShownAndWholeInk(HWND field) {
    RECT client;
    GetClientRect(field, &client);
    const std::wstring text = Text(GetParent(field), GetDlgCtrlID(field));
    const auto font = reinterpret_cast<HFONT>(SendMessageW(field, WM_GETFONT, 0, 0));
    return {InkWidth(client.right, client.bottom,
                     [field](HDC context) { PrintWindow(field, context, PW_CLIENTONLY); }),
            InkWidth(40 * client.right, client.bottom, [&](HDC context) {
                SelectObject(context, font);
                TextOutW(context, client.right, 0, text.c_str(), static_cast<int>(text.size()));
            })};
}

// A drop as Explorer hands it to a window: a DROPFILES header, then the paths, each ended by a
// NUL and the list by another.
HGLOBAL DropOf(const std::vector<std::u16string>& paths) {
    std::wstring list;
    for (const std::u16string& path : paths)
        list += Windows(path) + L'\0';
    list += L'\0';
    const HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::memcpy(drop + 1, list.data(), list.size() * sizeof(wchar_t));
    GlobalUnlock(memory);
    return memory;
}

// In the test's own process: files and folders dropped on the dialog fill its folder field as the
// chooser does, and nothing else happens; counts as long as a run of 200,000 files posts, and the
// longest there are, show whole.
TEST(Win32Dialog, DroppedFilesAndLongCounts) {
    ScratchFolder folder;
    ArrangeDroppedFiles(folder);
    const int status = RunWithWin32([&] {
        [&] {
            ASSERT_TRUE(WaitUntil([] { return Shown(IDC_FOLDER) != nullptr; }));
            const HWND dialog = Shown(IDC_FOLDER);
            EXPECT_TRUE(GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
            for (const Drop& drop : kDrops) {
                std::vector<std::u16string> paths;
                for (const std::string& path : drop.paths)
                    paths.push_back(folder.Wide(path));
                PostMessageW(dialog, WM_DROPFILES, reinterpret_cast<WPARAM>(DropOf(paths)), 0);
                const std::wstring shown = Windows(folder.Wide(drop.shown));
                EXPECT_TRUE(WaitUntil([&] { return Text(dialog, IDC_FOLDER) == shown; }));
            }
            SaveScreenshot("win32-dropped", {dialog});
            EXPECT_TRUE(Shown(IDYES) == nullptr && Text(dialog) == kIdle &&
                        Enabled(dialog, IDC_START) && !Enabled(dialog, IDC_CANCEL_RUN));

            constexpr int kMost = std::numeric_limits<int>::max();
            for (const auto& [processed, total] : {std::pair{123456, 200000}, {kMost - 1, kMost}}) {
                PostMessageW(dialog, kScanComplete, static_cast<WPARAM>(total), 0);
                PostMessageW(dialog, kProgress, static_cast<WPARAM>(processed), 0);
                ASSERT_TRUE(WaitUntil(
                    [&] { return Text(dialog, IDC_PROCESSED) == std::to_wstring(processed); }));
                SaveScreenshot(total == kMost ? "win32-longest-counts" : "win32-long-counts",
                               {dialog});
                for (int id : {IDC_PROCESSED, IDC_TOTAL}) {
                    const auto [shown, whole] = ShownAndWholeInk(GetDlgItem(dialog, id));
                    EXPECT_NEAR(shown, whole, 1) << Text(dialog, id).size() << " figures";
                }
            }
        }();
        PostMessageW(Shown(IDC_FOLDER), WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(status, 0);
}

// A folder on the command line: the window shows the run and closes by itself once the list is
// written, and the program ends with status 0.
TEST(Win32Program, AFolderArgumentWritesTheListAndEndsWithStatusZero) {
    ScratchFolder folder;
    folder.WriteFile("docs/a.txt", "abc");
    folder.WriteFile("docs/zeros.bin", "");
    std::filesystem::resize_file(Windows(folder.Wide("docs/zeros.bin")), std::uintmax_t{1} << 30);
    std::atomic<bool> ended{false}, windowShown{false};
    std::thread watcher([&] {
        while (!ended)
            windowShown = windowShown || FindWindowW(L"#32770", kBusy.c_str()) != nullptr;
    });
    const CommandResult result = RunCommand({HASHWICK_BINARY, folder.Path("docs")}, folder.Root());
    ended = true;
    watcher.join();
    EXPECT_TRUE(windowShown);
    EXPECT_EQ(result.exitStatus, 0) << result.errors;
    EXPECT_NE(folder.ReadFile("Hashwick_docs.txt")
                  .find("\\docs\\a.txt\t900150983cd24fb0d6963f7d28e17f72\r\n"),
              std::string::npos);
}

}  // namespace
