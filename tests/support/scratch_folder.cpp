#include "support/scratch_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "platform/path_text.h"

namespace fs = std::filesystem;

namespace {

void Check(bool ok, const std::string& what) {
    if (!ok)
        throw std::runtime_error(what + ": " + std::strerror(errno));
}

}  // namespace

ScratchFolder::ScratchFolder() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern =
        std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/hashwick-test-XXXXXX";
    Check(mkdtemp(pattern.data()) != nullptr, "mkdtemp");
    root_ = pattern;
    // Readable by everyone: some tests walk it as an unprivileged user.
    Check(chmod(root_.c_str(), 0755) == 0, "chmod " + root_);
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    for (auto it = fs::recursive_directory_iterator(root_, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored)) {
        if (it->is_directory(ignored) && !it->is_symlink(ignored)) {
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        }
    }
    fs::remove_all(root_, ignored);
}

std::string ScratchFolder::Path(std::string_view relative) const {
    return relative.empty() ? root_ : root_ + "/" + std::string(relative);
}

std::u16string ScratchFolder::Wide(std::string_view relative) const {
    return NativeToWide(Path(relative));
}

void ScratchFolder::MakeParents(std::string_view relative) const {
    fs::create_directories(fs::path(Path(relative)).parent_path());
}

std::string ScratchFolder::ReadFile(std::string_view relative) const {
    std::ifstream in(Path(relative), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void ScratchFolder::WriteFile(std::string_view relative, std::string_view bytes) const {
    MakeParents(relative);
    std::ofstream out(Path(relative), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    Check(static_cast<bool>(out.flush()), "write " + Path(relative));
}

void ScratchFolder::MakeFolder(std::string_view relative) const {
    fs::create_directories(Path(relative));
}

void ScratchFolder::MakeLink(std::string_view relative, const std::string& target) const {
    MakeParents(relative);
    Check(symlink(target.c_str(), Path(relative).c_str()) == 0, "symlink " + Path(relative));
}

void ScratchFolder::MakeFifo(std::string_view relative) const {
    MakeParents(relative);
    Check(mkfifo(Path(relative).c_str(), 0644) == 0, "mkfifo " + Path(relative));
}

void ScratchFolder::SetMode(std::string_view relative, unsigned mode) const {
    Check(chmod(Path(relative).c_str(), mode) == 0, "chmod " + Path(relative));
}

std::string ScratchFolder::MakeSlowWalk(int levels) const {
    std::string chain = "chain";
    for (int level = 1; level <= levels; ++level) {
        chain += "/d";
        MakeLink("slow/" + std::to_string(level), Path(chain));
    }
    WriteFile(chain + "/bottom", "");
    return Path("slow");
}

std::u16string Utf16(std::string_view utf8) {
    return NativeToWide(utf8);
}
