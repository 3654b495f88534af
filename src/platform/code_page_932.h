// Conversion of wide text to code page 932, the Japanese multibyte code page, whatever the
// process's locale: the conversion table is the C library's "CP932", on Windows the system's own.
#pragma once

#include <string>
#include <string_view>

class CodePage932Encoder {
  public:
    // A C library without the code page's table leaves the encoder unusable (see Usable).
    CodePage932Encoder();
    ~CodePage932Encoder();
    CodePage932Encoder(const CodePage932Encoder&) = delete;
    CodePage932Encoder& operator=(const CodePage932Encoder&) = delete;

    bool Usable() const;
    // Whether the encoder is unusable for want of file descriptors (loading the C library's
    // table opens files), not for want of the table.
    bool OutOfDescriptors() const;

    // Appends the text's bytes. A character the code page cannot represent (an emoji, Hangul, a
    // lone surrogate) becomes one "?" per code point, and the rest of the text still follows.
    // An unusable encoder appends nothing.
    void Append(std::string& out, std::u16string_view text);

  private:
    void AppendConverted(std::string& out, std::u16string_view run);

#ifdef _WIN32
    bool usable_;  // whether the system has the code page's table
#else
    void* converter_;
    bool outOfDescriptors_;
#endif
};
