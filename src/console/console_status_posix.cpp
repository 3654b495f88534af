#include <unistd.h>

#include <cstdio>

#include "console/console_status.h"
#include "platform/path_text.h"

ConsoleStatusLine::ConsoleStatusLine() : terminal_(isatty(STDERR_FILENO) == 1) {}

void ConsoleStatusLine::Draw(const std::u16string& text) {
    lastDraw_ = std::chrono::steady_clock::now();
    if (!terminal_)
        return;
    drawn_ = true;
    std::fprintf(stderr, "\r%s\x1b[K", WideToNative(text).value_or("?").c_str());
    std::fflush(stderr);
}

void ConsoleStatusLine::Clear() {
    if (drawn_)
        std::fputs("\r\x1b[K", stderr);
    drawn_ = false;
}

void ConsoleStatusLine::Finish() {
    if (drawn_)
        std::fputs("\n", stderr);
    drawn_ = false;
}

void WriteErrorLine(const std::u16string& text) {
    std::fprintf(stderr, "%s\n", WideToNative(text).value_or("?").c_str());
    std::fflush(stderr);
}

void WriteOutput(const std::u16string& text) {
    std::fputs(WideToNative(text).value_or("?").c_str(), stdout);
    std::fflush(stdout);
}
