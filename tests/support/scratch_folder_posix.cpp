#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "platform/path_text.h"
#include "support/scratch_folder.h"

namespace fs = std::filesystem;

namespace {

void Check(bool ok, const std::string& what) {
    if (!ok)
        throw std::runtime_error(what + ": " + std::strerror(errno));
}

// Empties the open folder, each entry removed relative to it, and closes it.
void EmptyFolder(int folder) {
    DIR* listing = fdopendir(folder);
    if (listing == nullptr) {
        close(folder);
        return;
    }
    while (const dirent* entry = readdir(listing)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        if (unlinkat(folder, name.c_str(), 0) == 0)
            continue;
        const int below = openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
        if (below >= 0) {
            EmptyFolder(below);
            unlinkat(folder, name.c_str(), AT_REMOVEDIR);
        }
    }
    closedir(listing);
}

}  // namespace

void ScratchFolder::RemoveRemains() const {
    const int folder = open(root_.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
    if (folder < 0)
        return;
    EmptyFolder(folder);
    rmdir(root_.c_str());
}

void ScratchFolder::WriteFileAtAnyDepth(std::string_view relative, std::string_view bytes) const {
    int folder = open(root_.c_str(), O_RDONLY | O_DIRECTORY);
    Check(folder >= 0, "open " + root_);
    std::string_view rest = relative;
    for (std::size_t slash; (slash = rest.find('/')) != std::string_view::npos;) {
        const std::string name(rest.substr(0, slash));
        rest.remove_prefix(slash + 1);
        Check(mkdirat(folder, name.c_str(), 0755) == 0 || errno == EEXIST, "mkdirat " + name);
        const int below = openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY);
        close(folder);
        Check(below >= 0, "openat " + name);
        folder = below;
    }
    const int file = openat(folder, std::string(rest).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    close(folder);
    Check(file >= 0, "openat " + std::string(rest));
    const bool written =
        write(file, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    close(file);
    Check(written, "write " + std::string(rest));
}

ScratchFolder::ScratchFolder() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern =
        std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/hashwick-test-XXXXXX";
    Check(mkdtemp(pattern.data()) != nullptr, "mkdtemp");
    root_ = pattern;
    // Readable by everyone: some tests walk it as an unprivileged user.
    Check(chmod(root_.c_str(), 0755) == 0, "chmod " + root_);
}

fs::path ScratchFolder::Native(std::string_view relative) const {
    return Path(relative);
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

std::string ScratchFolder::MakeMemoryHungryWalk(int files) const {
    std::string deep = "hungry";
    while (Path(deep).size() < 3700)
        deep += "/" + std::string(240, 'd');
    MakeFolder(deep);
    const int folder = open(Path(deep).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    Check(folder >= 0, "open " + Path(deep));
    for (int file = 0; file < files; ++file) {
        const std::string name = "f" + std::to_string(file);
        const int made = openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        Check(made >= 0, "create " + name);
        close(made);
    }
    close(folder);
    return Path("hungry");
}
