#include "list/other_list_reader.h"

#include <algorithm>
#include <optional>

#include "list/list_layout.h"
#include "list/list_text.h"
#include "list/stop_request.h"
#include "platform/path_text.h"

namespace {

constexpr std::u16string_view kNoList =
    u"見出しの行「# ルート(ファイル数)」でも、MD5の行でもありません。";
constexpr std::u16string_view kNoLine =
    u"「MD5  パス」「MD5 *パス」「MD5 (パス) = MD5」のどの行でもありません。";
constexpr std::u16string_view kFirstLineTooLong =
    u"64 KiBを超えても終わらない行です。見出しの行でもMD5の行でもありません。";
constexpr std::u16string_view kNoPath = u"パスがありません。";
constexpr std::u16string_view kNul = u"パスにNUL文字があります。";
constexpr std::u16string_view kAbsolute =
    u"絶対パスです。照合するフォルダからの相対パスでなければなりません。";
constexpr std::u16string_view kParent = u"パスに「..」があります。";
constexpr std::u16string_view kBadEscape =
    u"「\\」で始まる行のパスで「\\」の後が「\\」「n」「r」のどれでもありません。";
constexpr std::u16string_view kNoDigests = u"MD5の行がありません。";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kHexDigits = "0123456789abcdefABCDEF";

std::u16string NotMd5(std::u16string_view what) {
    return u"MD5ではありません(" + std::u16string(what) + u")。";
}

// A tag such as "MD5", "SHA256" or "SHA3-256".
bool IsTag(std::string_view text) {
    return !text.empty() && text.size() <= 16 && std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
               c == '-';
    });
}

bool IsAbsolute(std::string_view path, bool escaped) {
    if (path.starts_with('/'))
        return true;
    // An escaped backslash is a character of the name, except where it is the separator.
    if (path.starts_with('\\'))
        return !escaped || (path.starts_with("\\\\") && kPathSeparator == u'\\');
    const bool drive = path.size() >= 2 && path[1] == ':' &&
                       ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    return drive && (path.size() == 2 || path[2] == '\\' || path[2] == '/');
}

// Whether the text is code page 932 throughout: single bytes and pairs of a lead and a trail byte.
bool IsCodePage932(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte == 0x80 || byte == 0xA0 || byte >= 0xFD)
            return false;
        if (IsCodePage932LeadByte(byte)) {
            const auto trail = static_cast<unsigned char>(++i < text.size() ? text[i] : 0);
            if (trail < 0x40 || trail == 0x7F || trail > 0xFC)
                return false;
        }
    }
    return true;
}

// Makes the key of a path of the list; the reason when it has none.
std::u16string_view MakeKey(std::string_view path, bool escaped, bool codePage932,
                            std::string& key) {
    const auto separator = static_cast<char>(kPathSeparator);
    key.assign(1, separator);
    std::size_t component = 1;  // where the name under way begins in the key
    // Leaves out an empty or "." name with the separator before it; false for "..".
    const auto endName = [&key, &component] {
        const std::string_view name = std::string_view(key).substr(component);
        if (name == "..")
            return false;
        if (name.empty() || name == ".")
            key.resize(component - 1);
        return true;
    };
    for (std::size_t i = 0; i < path.size(); ++i) {
        char c = path[i];
        if (codePage932 && IsCodePage932LeadByte(static_cast<unsigned char>(c)) &&
            i + 1 < path.size()) {
            key.append(path.substr(i++, 2));
            continue;
        }
        bool separates = c == '/' || c == '\\';
        if (escaped && c == '\\') {
            c = ++i == path.size() ? '\0' : path[i];
            c = c == '\\' ? '\\' : c == 'n' ? '\n' : c == 'r' ? '\r' : '\0';
            if (c == '\0')
                return kBadEscape;
            separates = c == separator;
        }
        if (separates) {
            if (!endName())
                return kParent;
            key.push_back(separator);
            component = key.size();
        } else {
            // Code page 932 text has "?" for a control character, as our lists write it.
            const bool control = (static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7F;
            key.push_back(codePage932 && control ? '?' : c);
        }
    }
    if (!endName())
        return kParent;
    return key.empty() ? kNoPath : std::u16string_view();
}

class OtherListParser {
  public:
    OtherListParser(ListLines& lines, const std::atomic<bool>& stop) : lines_(lines), stop_(stop) {
        list_.relative = true;
        list_.text = "# ";
    }

    ListReading Parse() {
        bool marked = false;
        while (lines_.Next(true)) {
            std::string_view line = lines_.Line();
            if (lines_.Number() == 1 && line.starts_with(kByteOrderMark)) {
                marked = true;
                line.remove_prefix(kByteOrderMark.size());
            }
            if (line.empty() || line.starts_with(';') || line.starts_with('#'))
                continue;
            const std::u16string reason = Take(line);
            if (!reason.empty()) {
                const bool first = lines_.Number() == 1 && reason == kNoLine;
                return Fail(lines_.Number(), first ? kNoList : std::u16string_view(reason));
            }
        }
        if (lines_.ReadError())
            return Fail(0, kUnreadableList);
        if (lines_.TooLong())
            return Fail(lines_.Number(), lines_.Number() == 1 ? kFirstLineTooLong : kLineTooLong);
        if (list_.files.empty())
            return Fail(0, kNoDigests);
        list_.collected = list_.processed = static_cast<std::int64_t>(list_.files.size());
        list_.names = marked ? ListNames::kUtf8 : Names();
        return MakeKeys();
    }

  private:
    static ListReading Fail(std::uint32_t line, std::u16string_view reason) {
        return ListReading{std::nullopt, line, std::u16string(reason)};
    }

    // Takes a digest line; the reason when it is none.
    std::u16string Take(std::string_view line) {
        const bool escaped = line.starts_with('\\');
        line.remove_prefix(escaped ? 1 : 0);
        std::string_view hex, path;
        const std::size_t open = line.find(" (");
        if (open != std::string_view::npos && IsTag(line.substr(0, open))) {
            const std::size_t close = line.rfind(") = ");
            if (close == std::string_view::npos || close < open + 2)
                return std::u16string(kNoLine);
            if (line.substr(0, open) != "MD5")
                return NotMd5(NativeToWide(line.substr(0, open)));
            path = line.substr(open + 2, close - open - 2);
            hex = line.substr(close + 4);
        } else {
            const std::size_t digits = std::min(line.find_first_not_of(kHexDigits), line.size());
            if (digits == 0 || digits == line.size() || line[digits] != ' ')
                return std::u16string(kNoLine);
            // More digits than MD5 has are another algorithm's digest; fewer, a word such as
            // "add" that begins a line of text.
            if (digits < 32)
                return std::u16string(kNoLine);
            if (digits != 32)
                return NotMd5(u"16進数" + CountText(static_cast<std::int64_t>(digits)) + u"桁");
            if (line.size() < 34 || (line[33] != ' ' && line[33] != '*'))
                return std::u16string(kNoLine);
            hex = line.substr(0, 32);
            path = line.substr(34);
        }
        const std::optional<Digest> digest = ParseDigestHex(hex);
        if (!digest)
            return std::u16string(kBadDigest);
        if (path.empty())
            return std::u16string(kNoPath);
        if (path.find('\0') != std::string_view::npos)
            return std::u16string(kNul);
        if (IsAbsolute(path, escaped))
            return std::u16string(kAbsolute);
        // A character before the path keeps the room for the separator that begins its key.
        list_.files.push_back({.pathStart = list_.text.size(),
                               .pathSize = static_cast<std::uint32_t>(path.size() + 1),
                               .line = lines_.Number(),
                               .digest = *digest,
                               .digested = true});
        list_.text.push_back(static_cast<char>(kPathSeparator));
        list_.text.append(path);
        escaped_.push_back(escaped);
        return {};
    }

    std::string_view PathOf(const ListedFile& file) const {
        return std::string_view(list_.text).substr(file.pathStart + 1, file.pathSize - 1);
    }

    ListNames Names() const {
        bool utf8 = true;
        bool codePage932 = true;
        for (const ListedFile& file : list_.files) {
            ThrowIfStopped(stop_);
            utf8 = utf8 && IsUtf8(PathOf(file));
            codePage932 = codePage932 && IsCodePage932(PathOf(file));
        }
        return utf8          ? ListNames::kUtf8
               : codePage932 ? ListNames::kCodePage932
                             : ListNames::kNameBytes;
    }

    // Each path becomes its key in its own place: a key is never longer than the path's room.
    ListReading MakeKeys() {
        std::string key;
        for (std::size_t i = 0; i < list_.files.size(); ++i) {
            ThrowIfStopped(stop_);
            ListedFile& file = list_.files[i];
            const std::u16string_view reason =
                MakeKey(PathOf(file), escaped_[i], list_.names == ListNames::kCodePage932, key);
            if (!reason.empty())
                return Fail(file.line, reason);
            key.copy(list_.text.data() + file.pathStart, key.size());
            file.pathSize = static_cast<std::uint32_t>(key.size());
        }
        return ListReading{std::move(list_), 0, {}};
    }

    ListLines& lines_;
    const std::atomic<bool>& stop_;
    DigestList list_;
    // Whether each file's line is md5sum's escaped form.
    std::vector<bool> escaped_;
};

}  // namespace

ListReading ReadOtherList(ListLines& lines, const std::atomic<bool>& stop) {
    return OtherListParser(lines, stop).Parse();
}
