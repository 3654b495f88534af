// The status line of a console program: one line on stderr, redrawn in place, when stderr is a
// terminal (on Windows, a console); nothing otherwise. Messages go to stderr either way.
#pragma once

#include <chrono>
#include <string>

class ConsoleStatusLine {
  public:
    ConsoleStatusLine();

    bool IsTerminal() const { return terminal_; }
    // Whether a redraw is due: redraws more often than every 100 ms only cost time.
    bool Due() const;
    void Draw(const std::u16string& text);
    // Removes the line, so that a message can take its place.
    void Clear();
    // The text on a line of its own, where the status line was.
    void Message(const std::u16string& text);
    // Ends a drawn status line with a line break.
    void Finish();

  private:
    const bool terminal_;
    bool drawn_ = false;
    std::chrono::steady_clock::time_point lastDraw_;
#ifdef _WIN32
    std::size_t drawnWidth_ = 0;  // the console cells the drawn line takes
#endif
};

// The text and a line break on stderr: a console shows its characters, anything else gets UTF-8.
void WriteErrorLine(const std::u16string& text);
// The text, lines ended by "\n", on stdout, in the same way.
void WriteOutput(const std::u16string& text);
