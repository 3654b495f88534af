#include "digest/md5.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "digest/digest_hex.h"

namespace {

std::u16string DigestOfPieces(const std::uint8_t* data, std::size_t size,
                              const std::vector<std::size_t>& pieces) {
    Md5Context context;
    Md5Init(context);
    std::size_t done = 0;
    for (std::size_t piece : pieces) {
        Md5Update(context, data + done, static_cast<std::int32_t>(piece));
        done += piece;
    }
    Md5Update(context, data + done, static_cast<std::int32_t>(size - done));
    std::array<std::uint8_t, 16> digest;
    Md5Final(context, digest.data());
    return DigestHex<char16_t>(digest);
}

std::u16string DigestOf(const std::string& message) {
    return DigestOfPieces(reinterpret_cast<const std::uint8_t*>(message.data()), message.size(),
                          {});
}

TEST(Md5, Rfc1321TestSuite) {
    EXPECT_EQ(DigestOf(""), u"d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(DigestOf("a"), u"0cc175b9c0f1b6a831c399e269772661");
    EXPECT_EQ(DigestOf("abc"), u"900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(DigestOf("message digest"), u"f96b697d7cb7938d525a2f31aaf161d0");
    EXPECT_EQ(DigestOf("abcdefghijklmnopqrstuvwxyz"), u"c3fcd3d76192e4007dfb496cca67e13b");
    EXPECT_EQ(DigestOf("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"),
              u"d174ab98d277d9f5a5611c2c9f419d9f");
    EXPECT_EQ(DigestOf("1234567890123456789012345678901234567890"
                       "1234567890123456789012345678901234567890"),
              u"57edf4a22be3c955ac49da2e2107b67a");
}

// Lengths of pieces that add up to at most size, each asked of next and cut to what is left.
std::vector<std::size_t> Cut(std::size_t size, const std::function<std::size_t()>& next) {
    std::vector<std::size_t> pieces;
    for (std::size_t sum = 0; sum < size; sum += pieces.back()) {
        pieces.push_back(std::min(next(), size - sum));
    }
    return pieces;
}

// Every way of cutting the same bytes, at every alignment, gives the same digest.
TEST(Md5, PiecesAndAddressesDoNotChangeTheDigest) {
    std::mt19937 random(20261206);
    std::vector<std::uint8_t> message(5000);
    for (auto& byte : message)
        byte = static_cast<std::uint8_t>(random());

    for (std::size_t size : {0u, 1u, 55u, 56u, 63u, 64u, 65u, 127u, 128u, 1000u, 5000u}) {
        const std::u16string oneShot = DigestOfPieces(message.data(), size, {});
        for (std::size_t offset = 1; offset < 8; ++offset) {
            std::vector<std::uint8_t> shifted(offset + size);
            std::copy_n(message.begin(), size,
                        shifted.begin() + static_cast<std::ptrdiff_t>(offset));
            EXPECT_EQ(DigestOfPieces(shifted.data() + offset, size, {}), oneShot) << offset;
        }
        const std::size_t pattern[] = {1, 63, 64, 65, 1000};
        std::size_t turn = 0;
        EXPECT_EQ(DigestOfPieces(message.data(), size, Cut(size, [] { return 1; })), oneShot);
        EXPECT_EQ(
            DigestOfPieces(message.data(), size, Cut(size, [&] { return pattern[turn++ % 5]; })),
            oneShot);
        for (int trial = 0; trial < 20; ++trial) {
            EXPECT_EQ(
                DigestOfPieces(message.data(), size, Cut(size, [&] { return random() % 200; })),
                oneShot);
        }
    }
}

// Past 4 GiB the bit count's low word wraps into its high word; lengths of zero or less change
// nothing.
TEST(Md5, BitCountCarriesAndNonPositiveLengthsChangeNothing) {
    const std::uint8_t message[64] = {'a', 'b', 'c'};
    Md5Context context{};
    Md5Init(context);
    context.bitCountLow = 0xFFFFFFF8;
    Md5Update(context, message, 1);
    EXPECT_EQ(context.bitCountLow, 0u);
    EXPECT_EQ(context.bitCountHigh, 1u);
    Md5Update(context, message, 64);
    EXPECT_EQ(context.bitCountLow, 512u);
    EXPECT_EQ(context.bitCountHigh, 1u);

    Md5Init(context);
    Md5Update(context, message, 3);
    Md5Context before;
    std::memcpy(&before, &context, sizeof context);
    Md5Update(context, message, 0);
    Md5Update(context, message, -1);
    Md5Update(context, nullptr, -2147483647 - 1);
    EXPECT_EQ(std::memcmp(&before, &context, sizeof context), 0);
    std::array<std::uint8_t, 16> digest;
    Md5Final(context, digest.data());
    EXPECT_EQ(DigestHex<char16_t>(digest), u"900150983cd24fb0d6963f7d28e17f72");
}

}  // namespace
