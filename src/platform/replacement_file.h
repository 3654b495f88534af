// A file that replaces another of the same name only once it is complete: the bytes go to a new
// file beside the target, which is renamed over the target when everything has been written.
// Until then, and for good if anything fails, an earlier file of that name stays as it was. A
// read-only file of that name is never replaced.
#pragma once

#include <string>
#include <string_view>

#include "platform/system_error_kind.h"

class ReplacementFile {
  public:
    explicit ReplacementFile(std::u16string_view path);
    ~ReplacementFile();  // removes the new file unless it was committed
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    // False once anything failed; the first failure's reason is kept.
    bool Write(std::string_view bytes);
    // Makes what was written durable and closes the new file, the long part of a commit, after
    // which the writer may still give the file up.
    bool Seal();
    // Seals the file if that has not been done, and puts it in the target's place.
    bool Commit();
    bool Failed() const { return failed_; }
    const std::u16string& Reason() const { return reason_; }

  private:
    bool Fail(int code);
    bool Fail(SystemErrorKind kind);
    bool Fail(std::u16string_view reason);

#ifdef _WIN32
    std::u16string target_;
    std::u16string temporary_;
    void* handle_;  // the new file's; the invalid handle when there is none
#else
    std::string target_;
    std::string temporary_;
    int descriptor_ = -1;
#endif
    bool failed_ = false;
    std::u16string reason_;
    bool sealed_ = false;
    bool committed_ = false;
};
