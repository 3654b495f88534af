// Windows' own file operations for tests, which the standard library does not offer.
#pragma once

#include <string>
#include <string_view>

// The file held open, for reading, without sharing: no one else can open it meanwhile.
class FileHeldOpen {
  public:
    explicit FileHeldOpen(const std::u16string& path);
    ~FileHeldOpen();
    FileHeldOpen(const FileHeldOpen&) = delete;
    FileHeldOpen& operator=(const FileHeldOpen&) = delete;

  private:
    void* handle_;
};

void SetReadOnly(const std::u16string& path, bool readOnly);

// Writes a file at a path that may be longer than MAX_PATH, making the folders on the way.
void WriteLongPathFile(const std::u16string& path, std::string_view bytes);
