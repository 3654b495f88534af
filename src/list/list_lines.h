// A list file read line by line as it comes from its source, a piece at a time: what was read
// before the line under way is let go, so that a reader keeps only what it takes from each line.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// What the lines of any kind of list are refused for.
inline constexpr std::u16string_view kUnreadableList = u"ファイルを読み込めません。";
inline constexpr std::u16string_view kLineTooLong = u"長すぎる行です。";
inline constexpr std::u16string_view kBadDigest = u"MD5が32桁の16進数ではありません。";

// Where a list's bytes come from, a piece at a time.
class ByteSource {
  public:
    virtual ~ByteSource() = default;
    // Up to count bytes; 0 at the end or on a read error.
    virtual std::size_t Read(char* into, std::size_t count) = 0;
    virtual bool Failed() const = 0;
};

class ListLines {
  public:
    // The first line is a short header in our lists, and a file that is no list is to be
    // refused before much of it is read; any other line may be a long path.
    static constexpr std::size_t kLongestFirstLine = 64 * 1024;
    static constexpr std::size_t kLongestLine = 16 * 1024 * 1024;

    ListLines(ByteSource& source, const std::atomic<bool>& stop) : source_(source), stop_(stop) {}

    // The first bytes of the file (up to 64 KiB), read before any line: what they say of the
    // file's kind is known before a line has ended.
    std::string_view Start();

    // Moves to the next line; false at the end of the file, on a read error, at a line longer
    // than the limits above, and before a last line that has no line end unless `openLastLine`.
    // Throws StopRequested once the stop is set.
    bool Next(bool openLastLine = false);
    // The line moved to, without its line end (LF or CR LF).
    std::string_view Line() const { return line_; }
    // Counted from 1.
    std::uint32_t Number() const { return number_; }
    // The lines read so far that end in LF alone.
    std::size_t LineFeedOnly() const { return lineFeedOnly_; }

    bool ReadError() const { return readError_; }
    bool TooLong() const { return tooLong_; }
    // The file ended within a line.
    bool CutShort() const { return cutShort_; }
    // Whether the file ended cleanly after the last line read.
    bool Ended() const { return !readError_ && !tooLong_ && !cutShort_; }

  private:
    // Reads a piece more behind what the buffer holds; false at the end or on a read error.
    bool Fill();

    ByteSource& source_;
    const std::atomic<bool>& stop_;
    // The bytes read and not yet done with: from next_ on, the lines to come.
    std::string buffer_;
    std::size_t next_ = 0;
    std::string_view line_;
    std::uint32_t number_ = 0;
    std::size_t lineFeedOnly_ = 0;
    bool readError_ = false;
    bool tooLong_ = false;
    bool cutShort_ = false;
};
