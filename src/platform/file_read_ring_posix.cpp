#include <fcntl.h>
#include <liburing.h>
#include <limits.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <cerrno>
#include <deque>
#include <optional>
#include <string>
#include <unordered_map>

#include "platform/any_length_path_posix.h"
#include "platform/file_placement_posix.h"
#include "platform/file_read_ring.h"
#include "platform/kernel_file_systems.h"
#include "platform/path_text.h"
#include "platform/read_meter.h"

namespace {

constexpr int kOpenFlags = O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY;
// Files larger than this are read in order from start to end, and the kernel is told so.
constexpr std::uint64_t kSequentialFrom = 64 * 1024;

class IoUring final : public FileReadRing {
  public:
    IoUring() = default;
    ~IoUring() override {
        if (initialised_)
            io_uring_queue_exit(&ring_);
    }
    bool Initialise(unsigned depth);
    IoUring(const IoUring&) = delete;
    IoUring& operator=(const IoUring&) = delete;

    void Open(void* tag, std::u16string_view path) override;
    void Read(void* tag, int file, std::uint8_t* into, std::size_t count,
              std::uint64_t offset) override;
    std::optional<std::uint64_t> FirstPlace(int file) const override { return FirstPlaceOf(file); }
    void Close(int file) override { close(file); }
    void Wait(std::vector<Completion>& completions) override;

  private:
    struct Request {
        void* tag = nullptr;
        bool open = false;
        std::string path;  // an open's path, kept until the kernel has taken it
        // A read's file, buffer, length and offset.
        int file = -1;
        std::uint8_t* into = nullptr;
        std::size_t count = 0;
        std::uint64_t offset = 0;
    };

    io_uring_sqe* NextEntry();
    Request* NewRequest(void* tag, bool open);
    // What the open of a descriptor gives: a regular file of stored data, or nothing.
    Completion Opened(void* tag, int descriptor);
    bool IsKernelInterface(dev_t device, int descriptor);
    // Does on this thread what the kernel could not hand to a worker of its own; answers as the
    // ring would.
    static int DoHere(const Request& request);

    io_uring ring_{};
    bool initialised_ = false;
    unsigned inFlight_ = 0;
    std::deque<Request> requests_;  // addresses stay put as requests come and go
    std::vector<Request*> spare_;
    std::vector<Completion> answered_;  // requests answered without the kernel's ring
    std::unordered_map<dev_t, bool> kernelInterface_;
};

io_uring_sqe* IoUring::NextEntry() {
    io_uring_sqe* entry = io_uring_get_sqe(&ring_);
    if (entry == nullptr) {
        io_uring_submit(&ring_);
        entry = io_uring_get_sqe(&ring_);
    }
    return entry;
}

IoUring::Request* IoUring::NewRequest(void* tag, bool open) {
    Request* request = nullptr;
    if (!spare_.empty()) {
        request = spare_.back();
        spare_.pop_back();
    } else {
        request = &requests_.emplace_back();
    }
    request->tag = tag;
    request->open = open;
    return request;
}

bool IoUring::IsKernelInterface(dev_t device, int descriptor) {
    if (const auto found = kernelInterface_.find(device); found != kernelInterface_.end())
        return found->second;
    struct statfs system {};
    if (fstatfs(descriptor, &system) != 0)
        return true;
    const bool kernel = IsKernelInterfaceFileSystem(static_cast<unsigned long>(system.f_type));
    kernelInterface_.emplace(device, kernel);
    return kernel;
}

FileReadRing::Completion IoUring::Opened(void* tag, int descriptor) {
    Completion completion{.tag = tag, .kind = Completion::Kind::kOpenFailed};
    struct stat status {};
    if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode) ||
        IsKernelInterface(status.st_dev, descriptor)) {
        close(descriptor);
        return completion;
    }
    completion.kind = Completion::Kind::kOpened;
    completion.file = descriptor;
    completion.size = static_cast<std::uint64_t>(std::max<off_t>(status.st_size, 0));
    completion.placement = StorageOf(descriptor, status.st_dev, completion.size);
    if (completion.size > kSequentialFrom)
        posix_fadvise(descriptor, 0, 0, POSIX_FADV_SEQUENTIAL);
    return completion;
}

void IoUring::Open(void* tag, std::u16string_view path) {
    std::optional<std::string> native = WideToNative(path);
    if (!native) {
        answered_.push_back({.tag = tag, .kind = Completion::Kind::kOpenFailed});
        return;
    }
    // A path longer than one system call takes is opened here, a stretch at a time.
    if (native->size() >= PATH_MAX) {
        const int descriptor = OpenAnyLength(*native, kOpenFlags);
        if (descriptor >= 0) {
            answered_.push_back(Opened(tag, descriptor));
        } else {
            answered_.push_back({.tag = tag,
                                 .kind = Completion::Kind::kOpenFailed,
                                 .outOfDescriptors = errno == EMFILE || errno == ENFILE});
        }
        return;
    }
    Request* request = NewRequest(tag, true);
    request->path = std::move(*native);
    io_uring_sqe* entry = NextEntry();
    io_uring_prep_openat(entry, AT_FDCWD, request->path.c_str(), kOpenFlags, 0);
    io_uring_sqe_set_data(entry, request);
    ++inFlight_;
}

void IoUring::Read(void* tag, int file, std::uint8_t* into, std::size_t count,
                   std::uint64_t offset) {
    Request* request = NewRequest(tag, false);
    io_uring_sqe* entry = NextEntry();
    io_uring_prep_read(entry, file, into, static_cast<unsigned>(count), offset);
    io_uring_sqe_set_data(entry, request);
    request->file = file;
    request->into = into;
    request->count = count;
    request->offset = offset;
    ++inFlight_;
}

int IoUring::DoHere(const Request& request) {
    for (;;) {
        const long result = request.open ? open(request.path.c_str(), kOpenFlags)
                                         : pread(request.file, request.into, request.count,
                                                 static_cast<off_t>(request.offset));
        if (result >= 0)
            return static_cast<int>(result);
        if (errno != EINTR)
            return -errno;
    }
}

void IoUring::Wait(std::vector<Completion>& completions) {
    completions.insert(completions.end(), answered_.begin(), answered_.end());
    const bool answered = !answered_.empty();
    answered_.clear();
    if (inFlight_ == 0)
        return;
    // With answers in hand already, only what has completed is taken.
    for (;;) {
        const int submitted =
            answered ? io_uring_submit(&ring_) : io_uring_submit_and_wait(&ring_, 1);
        if (submitted >= 0 || (submitted != -EINTR && submitted != -EAGAIN && submitted != -EBUSY))
            break;
    }
    io_uring_cqe* entries[64];
    for (;;) {
        const unsigned count = io_uring_peek_batch_cqe(&ring_, entries, 64);
        if (count == 0)
            break;
        for (unsigned i = 0; i < count; ++i) {
            auto* request = static_cast<Request*>(io_uring_cqe_get_data(entries[i]));
            int result = entries[i]->res;
            // An open or read that must wait goes to one of the kernel's workers; where none can
            // be started (a limit of processes), the request comes back cancelled or to be tried
            // again, which says nothing about the file.
            if (result == -ECANCELED || result == -EAGAIN || result == -EINTR)
                result = DoHere(*request);
            if (request->open) {
                if (result >= 0) {
                    completions.push_back(Opened(request->tag, result));
                } else {
                    completions.push_back(
                        {.tag = request->tag,
                         .kind = Completion::Kind::kOpenFailed,
                         .outOfDescriptors = result == -EMFILE || result == -ENFILE});
                }
                request->path.clear();
            } else {
                if (result > 0)
                    CountBytesRead(static_cast<std::uint64_t>(result));
                completions.push_back({.tag = request->tag,
                                       .kind = Completion::Kind::kRead,
                                       .bytes = result > 0 ? static_cast<std::size_t>(result) : 0,
                                       .failed = result < 0});
            }
            spare_.push_back(request);
            --inFlight_;
        }
        io_uring_cq_advance(&ring_, count);
    }
}

bool IoUring::Initialise(unsigned depth) {
    if (io_uring_queue_init(depth, &ring_, 0) != 0)
        return false;
    initialised_ = true;
    // Opens and reads that must wait for the disk go to the kernel's workers, by default four per
    // processor: as many as requests may be in flight keeps the device as busy as asked.
    unsigned workers[2] = {depth, 0};
    io_uring_register_iowq_max_workers(&ring_, workers);
    // A ring that cannot open files (a kernel before 5.6) is no use here.
    io_uring_probe* probe = io_uring_get_probe_ring(&ring_);
    const bool usable = probe != nullptr && io_uring_opcode_supported(probe, IORING_OP_OPENAT) &&
                        io_uring_opcode_supported(probe, IORING_OP_READ);
    if (probe != nullptr)
        io_uring_free_probe(probe);
    return usable;
}

}  // namespace

std::unique_ptr<FileReadRing> FileReadRing::Create(unsigned depth) {
    auto ring = std::make_unique<IoUring>();
    if (!ring->Initialise(depth))
        return nullptr;
    return ring;
}
