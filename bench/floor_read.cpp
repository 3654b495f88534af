// The floor of a cold run: how fast this machine delivers a folder's bytes when nothing is
// hashed. One thread walks by names (the entry's type from the folder itself, an attribute query
// only where the folder does not say), and THREADS threads open and read every regular file to
// its end in pieces of 1 MiB, as soon as the walk has found it.
// Usage: hashwick-floor THREADS FOLDER
// Prints the files, the bytes and the seconds.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

class PathQueue {
  public:
    void Push(std::string&& path) {
        {
            std::lock_guard lock(mutex_);
            paths_.push_back(std::move(path));
        }
        ready_.notify_one();
    }
    void Close() {
        {
            std::lock_guard lock(mutex_);
            closed_ = true;
        }
        ready_.notify_all();
    }
    bool Pop(std::string& path) {
        std::unique_lock lock(mutex_);
        ready_.wait(lock, [this] { return closed_ || !paths_.empty(); });
        if (paths_.empty())
            return false;
        path = std::move(paths_.front());
        paths_.pop_front();
        return true;
    }

  private:
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<std::string> paths_;
    bool closed_ = false;
};

void Walk(const std::string& folder, PathQueue& queue) {
    DIR* listing = opendir(folder.c_str());
    if (listing == nullptr)
        return;
    std::vector<std::string> folders;
    while (const dirent* entry = readdir(listing)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        std::string path = folder + "/" + name;
        unsigned char type = entry->d_type;
        if (type == DT_UNKNOWN) {
            struct stat status {};
            if (lstat(path.c_str(), &status) != 0)
                continue;
            type = S_ISDIR(status.st_mode) ? DT_DIR : S_ISREG(status.st_mode) ? DT_REG : DT_UNKNOWN;
        }
        if (type == DT_DIR)
            folders.push_back(std::move(path));
        else if (type == DT_REG)
            queue.Push(std::move(path));
    }
    closedir(listing);
    for (const std::string& below : folders)
        Walk(below, queue);
}

struct Totals {
    unsigned long long files = 0;
    unsigned long long bytes = 0;
};

Totals Read(PathQueue& queue) {
    constexpr std::size_t kPiece = 1 << 20;
    const auto buffer = std::make_unique<char[]>(kPiece);
    Totals totals;
    std::string path;
    while (queue.Pop(path)) {
        const int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (descriptor < 0)
            continue;
        for (ssize_t got; (got = read(descriptor, buffer.get(), kPiece)) > 0;)
            totals.bytes += static_cast<unsigned long long>(got);
        close(descriptor);
        ++totals.files;
    }
    return totals;
}

}  // namespace

int main(int argc, char** argv) {
    const int threads = argc == 3 ? std::atoi(argv[1]) : 0;
    if (threads < 1) {
        std::fprintf(stderr, "usage: %s THREADS FOLDER\n", argv[0]);
        return 2;
    }
    const auto began = std::chrono::steady_clock::now();
    PathQueue queue;
    std::vector<Totals> totals(static_cast<std::size_t>(threads));
    std::vector<std::thread> readers;
    for (std::size_t i = 0; i < totals.size(); ++i)
        readers.emplace_back([&queue, &totals, i] { totals[i] = Read(queue); });
    Walk(argv[2], queue);
    queue.Close();
    Totals all;
    for (std::size_t i = 0; i < readers.size(); ++i) {
        readers[i].join();
        all.files += totals[i].files;
        all.bytes += totals[i].bytes;
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    std::printf("files: %llu\nbytes: %llu\nseconds: %.3f\n", all.files, all.bytes, seconds);
    return 0;
}
