#include "support/scratch_folder.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <system_error>

#include "platform/path_text.h"

namespace fs = std::filesystem;

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    for (auto it = fs::recursive_directory_iterator(Native({}), ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored)) {
        if (it->is_directory(ignored) && !it->is_symlink(ignored)) {
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        }
    }
    fs::remove_all(Native({}), ignored);
    RemoveRemains();
}

std::string ScratchFolder::Path(std::string_view relative) const {
    std::string path(relative);
    std::replace(path.begin(), path.end(), '/', static_cast<char>(kPathSeparator));
    return relative.empty() ? root_ : root_ + static_cast<char>(kPathSeparator) + path;
}

std::u16string ScratchFolder::Wide(std::string_view relative) const {
    return NativeToWide(Path(relative));
}

void ScratchFolder::MakeParents(std::string_view relative) const {
    fs::create_directories(Native(relative).parent_path());
}

std::string ScratchFolder::ReadFile(std::string_view relative) const {
    std::ifstream in(Native(relative), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void ScratchFolder::WriteFile(std::string_view relative, std::string_view bytes) const {
    MakeParents(relative);
    std::ofstream out(Native(relative), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush())
        throw std::runtime_error("write " + Path(relative));
}

void ScratchFolder::MakeFolder(std::string_view relative) const {
    fs::create_directories(Native(relative));
}

void ScratchFolder::MakeSparse(std::string_view relative, std::uintmax_t size) const {
    WriteFile(relative, "");
    fs::resize_file(Native(relative), size);
}

std::u16string Utf16(std::string_view utf8) {
    return NativeToWide(utf8);
}
