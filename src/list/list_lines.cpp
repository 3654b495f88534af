#include "list/list_lines.h"

#include "list/stop_request.h"

namespace {

constexpr std::size_t kReadPiece = 64 * 1024;

}  // namespace

std::string_view ListLines::Start() {
    if (buffer_.empty())
        Fill();
    return buffer_;
}

bool ListLines::Fill() {
    const std::size_t held = buffer_.size();
    buffer_.resize(held + kReadPiece);
    const std::size_t got = source_.Read(buffer_.data() + held, kReadPiece);
    buffer_.resize(held + got);
    readError_ = readError_ || source_.Failed();
    return got > 0;
}

bool ListLines::Next(bool openLastLine) {
    ThrowIfStopped(stop_);
    ++number_;
    line_ = {};
    // What was read before the line under way is done with.
    if (next_ >= kReadPiece) {
        buffer_.erase(0, next_);
        next_ = 0;
    }
    const std::size_t longest = number_ == 1 ? kLongestFirstLine : kLongestLine;
    std::size_t end = buffer_.find('\n', next_);
    while (end == std::string::npos) {
        if (buffer_.size() - next_ > longest) {
            tooLong_ = true;
            return false;
        }
        const std::size_t searched = buffer_.size();
        if (!Fill()) {
            if (readError_ || next_ == buffer_.size())
                return false;
            if (!openLastLine) {
                cutShort_ = true;
                return false;
            }
            end = buffer_.size();
            break;
        }
        end = buffer_.find('\n', searched);
    }
    if (end - next_ > longest) {
        tooLong_ = true;
        return false;
    }
    std::size_t contentEnd = end;
    if (contentEnd > next_ && buffer_[contentEnd - 1] == '\r')
        --contentEnd;
    else if (end < buffer_.size())
        ++lineFeedOnly_;
    line_ = std::string_view(buffer_).substr(next_, contentEnd - next_);
    next_ = std::min(end + 1, buffer_.size());
    return true;
}
