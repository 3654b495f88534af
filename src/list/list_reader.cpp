#include "list/list_reader.h"

#include "list/list_layout.h"
#include "list/list_lines.h"
#include "list/list_text.h"
#include "list/other_list_reader.h"
#include "list/stop_request.h"
#include "platform/input_file_stream.h"
#include "platform/path_text.h"

namespace {

constexpr std::u16string_view kEmpty = u"空のファイルです。";
constexpr std::u16string_view kUtf16 = u"UTF-16のテキストです。";
constexpr std::u16string_view kUtf8 = u"UTF-8のテキストです。";
constexpr std::u16string_view kCutShort = u"行の途中でファイルが終わっています。";
constexpr std::u16string_view kEndsEarly = u"この行がありません。リストが途中で終わっています。";
constexpr std::u16string_view kNoHeader = u"見出しの行「# ルート(ファイル数)」ではありません。";
constexpr std::u16string_view kNoDoubleRule = u"「#===…」の行ではありません。";
constexpr std::u16string_view kNoTab = u"パスとMD5の間のTABがありません。";
constexpr std::u16string_view kOutsideRoot = u"パスが見出しのルートで始まっていません。";
constexpr std::u16string_view kNoFailure = u"「# パス」の行ではありません。";
constexpr std::u16string_view kNoTiming = u"時間の行ではありません。";
constexpr std::u16string_view kNoSummary =
    u"「# (N)ファイル中(k)ファイル処理しました」の行ではありません。";
constexpr std::u16string_view kCountsDiffer = u"見出しのファイル数がリストの行数と合いません。";
constexpr std::u16string_view kExtraLine = u"リストの終わりの後に行があります。";
constexpr std::u16string_view kFirstLineTooLong =
    u"64 KiBを超えても終わらない行です。見出しの行ではありません。";

bool IsDigits(std::string_view text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// A count of at most 18 digits, which no list comes near.
std::optional<std::int64_t> ParseCount(std::string_view text) {
    if (!IsDigits(text) || text.size() > 18)
        return std::nullopt;
    std::int64_t value = 0;
    for (char digit : text)
        value = value * 10 + (digit - '0');
    return value;
}

// Whether the text's last character is the separator: a backslash byte that ends a text may be
// the second byte of its last character.
bool EndsWithSeparator(std::string_view text, char separator) {
    std::size_t last = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        last = i;
        if (IsCodePage932LeadByte(static_cast<unsigned char>(text[i])))
            ++i;
    }
    return !text.empty() && last == text.size() - 1 && text[last] == separator;
}

// Replaces the separator bytes of a code page 932 text. A backslash byte may also be the second
// byte of a character ("表" is 0x95 0x5C), so the text is read character by character.
void MapSeparators(char* text, std::size_t size, char from, char to) {
    for (std::size_t i = 0; i < size; ++i) {
        if (text[i] == from)
            text[i] = to;
        else if (IsCodePage932LeadByte(static_cast<unsigned char>(text[i])))
            ++i;
    }
}

}  // namespace

class FileSource final : public ByteSource {
  public:
    explicit FileSource(InputFileStream& stream) : stream_(stream) {}
    std::size_t Read(char* into, std::size_t count) override {
        return stream_.ReadSome(reinterpret_cast<std::uint8_t*>(into), count);
    }
    bool Failed() const override { return stream_.bad(); }

  private:
    InputFileStream& stream_;
};

class MemorySource final : public ByteSource {
  public:
    explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
    std::size_t Read(char* into, std::size_t count) override {
        const std::size_t taken = bytes_.copy(into, count);
        bytes_.remove_prefix(taken);
        return taken;
    }
    bool Failed() const override { return false; }

  private:
    std::string_view bytes_;
};

// Reads a list line by line as it comes from the file, in the order its writer writes the kinds
// of line; what it keeps of each line is the path, so memory grows with the lines accepted.
class ListParser {
  public:
    ListParser(ListLines& lines, const std::atomic<bool>& stop) : lines_(lines), stop_(stop) {}

    ListReading Parse() {
        if (!Encode())
            return Fail(0, ListTextEncoder::kUnusableReason);
        if (!Next() || !Header())
            return Fail(kNoHeader);
        if (!Next() || line_ != doubleRule_)
            return Fail(kNoDoubleRule);
        for (;;) {
            if (!Next())
                return Fail(kEndsEarly);
            if (line_ == rule_ || line_ == failureTitle_)
                break;
            const std::size_t tab = line_.rfind('\t');
            if (tab == std::string_view::npos)
                return Fail(kNoTab);
            const std::optional<Digest> digest = ParseDigestHex(line_.substr(tab + 1));
            if (!digest)
                return Fail(kBadDigest);
            if (!Take(line_.substr(0, tab), digest))
                return Fail(kOutsideRoot);
        }
        if (line_ == failureTitle_) {
            for (;;) {
                if (!Next())
                    return Fail(kEndsEarly);
                if (line_ == rule_)
                    break;
                if (!line_.starts_with("# "))
                    return Fail(kNoFailure);
                if (!Take(line_.substr(2), std::nullopt))
                    return Fail(kOutsideRoot);
            }
        }
        if (!Next() || !IsTiming(walkPrefix_))
            return Fail(kNoTiming);
        if (!Next() || !IsTiming(hashPrefix_))
            return Fail(kNoTiming);

        const auto listed = static_cast<std::int64_t>(list_.files.size() - folders_);
        list_.processed = list_.collected;
        if (Next()) {
            if (line_ != rule_)
                return Fail(kExtraLine);
            if (!Next() || !Summary())
                return Fail(kNoSummary);
            // A run writes the summary when it processed fewer files than it found, and the
            // list holds those it processed.
            if (list_.processed >= list_.collected)
                return Fail(kCountsDiffer);
            if (list_.processed != listed)
                return Fail(kCountsDiffer);
            if (Next())
                return Fail(kExtraLine);
        } else if (!Ended()) {
            return Fail(kExtraLine);
        } else if (list_.collected != listed) {
            return Fail(1, kCountsDiffer);
        }
        if (!Ended())
            return Fail(kExtraLine);
        list_.lineFeedOnly = lines_.LineFeedOnly();
        MapKeys();
        return ListReading{std::move(list_), 0, {}};
    }

  private:
    // The next line; false where ListLines::Next is, and then no line: what the line before
    // pointed at may have moved as more of the file was read.
    bool Next() {
        const bool read = lines_.Next();
        line_ = lines_.Line();
        lineNumber_ = lines_.Number();
        return read;
    }

    bool Ended() const { return lines_.Ended(); }

    ListReading Fail(std::u16string_view reason) const {
        if (lines_.ReadError())
            return Fail(0, kUnreadableList);
        if (lines_.TooLong()) {
            return Fail(lines_.Number(), lines_.Number() == 1 ? kFirstLineTooLong : kLineTooLong);
        }
        if (lines_.CutShort())
            return Fail(lines_.Number(), kCutShort);
        return Fail(lines_.Number(), IsUtf8FixedLine() ? kUtf8 : reason);
    }
    static ListReading Fail(std::uint32_t line, std::u16string_view reason) {
        return ListReading{std::nullopt, line, std::u16string(reason)};
    }

    bool Encode() {
        ListTextEncoder encoder;
        if (!encoder.Usable())
            return false;
        const auto encode = [&encoder](std::string& out, std::u16string_view text) {
            encoder.Append(out, text);
        };
        encode(doubleRule_, kDoubleRule);
        encode(rule_, kRule);
        failureTitle_ = rule_;
        encode(failureTitle_, kFailureTitle);
        encode(walkPrefix_, u"# ");
        encode(walkPrefix_, kWalkLabel);
        encode(hashPrefix_, u"# ");
        encode(hashPrefix_, kHashLabel);
        encode(seconds_, kSeconds);
        encode(summaryStart_, kSummaryStart);
        encode(summaryOf_, kSummaryOf);
        encode(summaryEnd_, kSummaryEnd);
        // The same lines of a list saved as UTF-8.
        utf8FailureTitle_ = WideToNative(std::u16string(kRule) + std::u16string(kFailureTitle))
                                .value_or(std::string());
        utf8Walk_ = WideToNative(u"# " + std::u16string(kWalkLabel)).value_or(std::string());
        utf8Hash_ = WideToNative(u"# " + std::u16string(kHashLabel)).value_or(std::string());
        return true;
    }

    // Whether the line is one of the fixed lines of a list as UTF-8 writes it: a list that was
    // saved as UTF-8, whose paths may hold nothing but ASCII.
    bool IsUtf8FixedLine() const {
        return line_ == utf8FailureTitle_ || line_.starts_with(utf8Walk_) ||
               line_.starts_with(utf8Hash_);
    }

    // "# ROOT(N)"; the root may hold parentheses itself, the count is in the last pair.
    bool Header() {
        const std::size_t open = line_.rfind('(');
        if (!line_.starts_with("# ") || !line_.ends_with(')') || open == std::string_view::npos ||
            open <= 2) {
            return false;
        }
        const std::optional<std::int64_t> count =
            ParseCount(line_.substr(open + 1, line_.size() - open - 2));
        if (!count)
            return false;
        list_.collected = *count;
        list_.rootSize = open - 2;
        list_.text.assign(line_.substr(0, open));
        return true;
    }

    // A path is the root, a separator and at least one character more, or, for a folder that
    // could not be listed, ends in the separator; every path of a list has the same separator.
    bool Take(std::string_view path, const std::optional<Digest>& digest) {
        const std::size_t rootSize = list_.rootSize;
        if (path.size() <= rootSize || !path.starts_with(list_.Root()))
            return false;
        const char separator = path[rootSize];
        if (separator_ == 0 && (separator == '/' || separator == '\\'))
            separator_ = separator;
        if (separator != separator_)
            return false;
        const bool folder = !digest && EndsWithSeparator(path.substr(rootSize), separator_);
        if (path.size() == rootSize + 1 && !folder)
            return false;
        folders_ += folder ? 1 : 0;
        list_.files.push_back({.pathStart = list_.text.size(),
                               .pathSize = static_cast<std::uint32_t>(path.size()),
                               .line = lineNumber_,
                               .digest = digest.value_or(Digest{}),
                               .digested = digest.has_value(),
                               .folder = folder});
        list_.text.append(path);
        return true;
    }

    // "# <label><seconds with one decimal>秒です"
    bool IsTiming(const std::string& prefix) const {
        if (!line_.starts_with(prefix) || !line_.ends_with(seconds_))
            return false;
        std::string_view number =
            line_.substr(prefix.size(), line_.size() - prefix.size() - seconds_.size());
        if (number.starts_with('-'))
            number.remove_prefix(1);
        const std::size_t point = number.find('.');
        return point != std::string_view::npos && IsDigits(number.substr(0, point)) &&
               number.size() == point + 2 && IsDigits(number.substr(point + 1));
    }

    // "# (N)ファイル中(k)ファイル処理しました", N being the first line's count.
    bool Summary() {
        if (!line_.starts_with(summaryStart_) || !line_.ends_with(summaryEnd_))
            return false;
        const std::string_view counts = line_.substr(
            summaryStart_.size(), line_.size() - summaryStart_.size() - summaryEnd_.size());
        const std::size_t of = counts.find(summaryOf_);
        if (of == std::string_view::npos)
            return false;
        const std::optional<std::int64_t> collected = ParseCount(counts.substr(0, of));
        const std::optional<std::int64_t> processed =
            ParseCount(counts.substr(of + summaryOf_.size()));
        if (!collected || !processed || *collected != list_.collected)
            return false;
        list_.processed = *processed;
        return true;
    }

    void MapKeys() {
        const auto native = static_cast<char>(kPathSeparator);
        if (separator_ == 0 || separator_ == native)
            return;
        list_.mappedText_ = list_.text;
        for (const ListedFile& file : list_.files) {
            ThrowIfStopped(stop_);
            MapSeparators(list_.mappedText_.data() + file.pathStart + list_.rootSize,
                          file.pathSize - list_.rootSize, separator_, native);
        }
    }

    ListLines& lines_;
    const std::atomic<bool>& stop_;
    DigestList list_;
    std::string_view line_;
    std::uint32_t lineNumber_ = 0;
    char separator_ = 0;
    std::size_t folders_ = 0;
    std::string doubleRule_, rule_, failureTitle_, walkPrefix_, hashPrefix_, seconds_;
    std::string summaryStart_, summaryOf_, summaryEnd_;
    std::string utf8FailureTitle_, utf8Walk_, utf8Hash_;
};

namespace {

ListReading Refusal(std::uint32_t line, std::u16string_view reason) {
    return ListReading{std::nullopt, line, std::u16string(reason)};
}

// What the first bytes say is known before any line has ended: a file that is no text of ours,
// or that starts as no list does, is refused at once.
ListReading Read(ByteSource& source, const std::atomic<bool>& stop, bool othersToo) {
    ListLines lines(source, stop);
    const std::string_view start = lines.Start();
    if (lines.ReadError())
        return Refusal(0, kUnreadableList);
    if (start.empty())
        return Refusal(1, kEmpty);
    if (start.starts_with("\xFF\xFE") || start.starts_with("\xFE\xFF") ||
        start.starts_with(std::string_view("\0#", 2)) ||
        start.starts_with(std::string_view("#\0", 2))) {
        return Refusal(1, kUtf16);
    }
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    const bool marked = start.starts_with(kByteOrderMark);
    const std::string_view text = start.substr(marked ? kByteOrderMark.size() : 0);
    const bool ours = text.starts_with(std::string_view("# ").substr(0, text.size()));
    if (othersToo && !ours)
        return ReadOtherList(lines, stop);
    if (marked)
        return Refusal(1, kUtf8);
    if (!ours)
        return Refusal(1, kNoHeader);
    return ListParser(lines, stop).Parse();
}

ListReading ReadFile(const std::u16string& path, const std::atomic<bool>& stop, bool othersToo) {
    InputFileStream stream(path);
    if (stream.fail())
        return Refusal(0, kUnreadableList);
    FileSource source(stream);
    return Read(source, stop, othersToo);
}

}  // namespace

ListReading ReadDigestList(const std::u16string& path, const std::atomic<bool>& stop) {
    return ReadFile(path, stop, false);
}

ListReading ParseDigestList(std::string_view bytes, const std::atomic<bool>& stop) {
    MemorySource source(bytes);
    return Read(source, stop, false);
}

ListReading ReadListToCheck(const std::u16string& path, const std::atomic<bool>& stop) {
    return ReadFile(path, stop, true);
}

ListReading ParseListToCheck(std::string_view bytes, const std::atomic<bool>& stop) {
    MemorySource source(bytes);
    return Read(source, stop, true);
}
