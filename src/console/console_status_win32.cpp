#include <windows.h>

#include <cstdio>

#include "console/console_status.h"
#include "platform/path_text.h"
#include "platform/utf16.h"

namespace {

HANDLE ErrorOutput() {
    return GetStdHandle(STD_ERROR_HANDLE);
}

bool IsConsole(HANDLE output) {
    DWORD mode = 0;
    return GetConsoleMode(output, &mode) != 0;
}

void WriteConsoleText(const std::u16string& text) {
    DWORD written = 0;
    WriteConsoleW(ErrorOutput(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

// The cells the text takes on a console: the characters of East Asian scripts take two.
std::size_t Width(const std::u16string& text) {
    std::size_t width = 0;
    for (const char16_t unit : text)
        width += unit < 0x1100 ? 1u : (IsLowSurrogate(unit) ? 0u : 2u);
    return width;
}

}  // namespace

ConsoleStatusLine::ConsoleStatusLine() : terminal_(IsConsole(ErrorOutput())) {}

// The console keeps what a longer line left behind, so the rest of it is overwritten with blanks.
void ConsoleStatusLine::Draw(const std::u16string& text) {
    lastDraw_ = std::chrono::steady_clock::now();
    if (!terminal_)
        return;
    drawn_ = true;
    const std::size_t width = Width(text);
    WriteConsoleText(u"\r" + text +
                     std::u16string(drawnWidth_ > width ? drawnWidth_ - width : 0, u' '));
    drawnWidth_ = width;
}

void ConsoleStatusLine::Clear() {
    if (drawn_)
        WriteConsoleText(u"\r" + std::u16string(drawnWidth_, u' ') + u"\r");
    drawn_ = false;
    drawnWidth_ = 0;
}

void ConsoleStatusLine::Finish() {
    if (drawn_)
        WriteConsoleText(u"\r\n");
    drawn_ = false;
    drawnWidth_ = 0;
}

void WriteErrorLine(const std::u16string& text) {
    if (IsConsole(ErrorOutput())) {
        WriteConsoleText(text + u"\r\n");
        return;
    }
    std::fprintf(stderr, "%s\n", WideToNative(text).value_or("?").c_str());
    std::fflush(stderr);
}

void WriteOutput(const std::u16string& text) {
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    if (IsConsole(output)) {
        std::u16string lines;
        for (const char16_t unit : text)
            lines += unit == u'\n' ? std::u16string(u"\r\n") : std::u16string(1, unit);
        DWORD written = 0;
        WriteConsoleW(output, lines.data(), static_cast<DWORD>(lines.size()), &written, nullptr);
        return;
    }
    std::fputs(WideToNative(text).value_or("?").c_str(), stdout);
    std::fflush(stdout);
}
