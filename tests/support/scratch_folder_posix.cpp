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
