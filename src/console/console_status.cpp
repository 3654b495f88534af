#include "console/console_status.h"

bool ConsoleStatusLine::Due() const {
    return std::chrono::steady_clock::now() - lastDraw_ >= std::chrono::milliseconds(100);
}

void ConsoleStatusLine::Message(const std::u16string& text) {
    Clear();
    WriteErrorLine(text);
}
