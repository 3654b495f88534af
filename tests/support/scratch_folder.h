// A real folder under the temporary directory for one test, removed with everything in it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

class ScratchFolder {
  public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // Native path of the folder itself, or of a relative path inside it written with "/" (on
    // Windows in UTF-8, with the system's backslashes).
    const std::string& Root() const { return root_; }
    std::string Path(std::string_view relative) const;
    std::u16string Wide(std::string_view relative = {}) const;

    // The bytes of a file; empty when it cannot be read.
    std::string ReadFile(std::string_view relative) const;
    // Each creates the missing folders on the way.
    void WriteFile(std::string_view relative, std::string_view bytes) const;
    void MakeFolder(std::string_view relative) const;
    // A file of the size that holds only zeros, which the file system need not store.
    void MakeSparse(std::string_view relative, std::uintmax_t size) const;
    // A folder whose walk takes long although it holds one file: on Linux links to each folder of
    // a chain of nested folders, so that the walk passes the chain's deep end once per link; on
    // Windows, without links, five empty folders per level side by side. Gives its path.
    std::string MakeSlowWalk(int levels) const;
#ifndef _WIN32
    // Writes a file at a path of any length, past the system's limit for one path too, making the
    // folders on the way each relative to the one above it.
    void WriteFileAtAnyDepth(std::string_view relative, std::string_view bytes) const;
    // A folder whose walk needs much memory though it holds empty files only: the files lie in
    // a folder whose path is near the longest the system takes, and each is recorded with that
    // path. Gives the top folder's path.
    std::string MakeMemoryHungryWalk(int files) const;
    void MakeLink(std::string_view relative, const std::string& target) const;
    void MakeFifo(std::string_view relative) const;
    void SetMode(std::string_view relative, unsigned mode) const;
#endif

  private:
    std::filesystem::path Native(std::string_view relative) const;
    // Removes what the removal by paths left: on Linux, folders deeper than a path can reach.
    void RemoveRemains() const;
    void MakeParents(std::string_view relative) const;

    std::string root_;
};

// Wide text for test expectations written as UTF-8 literals.
std::u16string Utf16(std::string_view utf8);
