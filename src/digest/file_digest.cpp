#include "digest/file_digest.h"

#include <cstring>

#include "digest/digest_hex.h"
#include "digest/md5.h"
#include "platform/input_file_stream.h"

namespace {

constexpr std::size_t kReadPiece = 1024;

}  // namespace

std::u16string FileDigest(const char16_t* path) {
    const std::atomic<bool> never{false};
    return *FileDigest(path, never);
}

std::optional<std::u16string> FileDigest(const char16_t* path,
                                         const std::atomic<bool>& stopRequest) {
    InputFileStream stream(path);
    if (stream.fail())
        return std::u16string();

    std::array<std::uint8_t, 16> digest{};
    Md5Context context;
    Md5Init(context);
    alignas(std::uint32_t) std::uint8_t piece[kReadPiece];
    while (!stream.eof() && !stream.fail()) {
        if (stopRequest.load(std::memory_order_relaxed))
            return std::nullopt;
        std::memset(piece, 0, sizeof piece);
        stream.read(piece, sizeof piece);
        Md5Update(context, piece, static_cast<std::int32_t>(stream.gcount()));
    }
    // A read error is not the end of the file: the bytes so far are not the file's digest.
    if (stream.bad())
        return std::u16string();
    Md5Final(context, digest.data());
    return DigestHex<char16_t>(digest);
}
