#include "platform/path_text.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

TEST(PathText, DecodesUtf8AndRoundTrips) {
    const std::string native =
        "d/\xE3\x83\x95\xE3\x82\xA1\xE3\x82\xA4\xE3\x83\xAB \xF0\x9F\x98\x80.txt";
    const std::u16string wide = NativeToWide(native);
    EXPECT_EQ(wide, u"d/ファイル 😀.txt");
    EXPECT_EQ(wide.size(), 13u);  // the emoji is a surrogate pair
    EXPECT_EQ(WideToNative(wide), native);
}

TEST(PathText, EscapesEveryByteThatIsNotStrictUtf8) {
    // Latin-1, a lone continuation, an overlong form, an encoded surrogate, a value past
    // U+10FFFF and a sequence cut short by the end of the name.
    const std::string cases[] = {"caf\xE9",          "\x80x",      "\xC0\xAF",    "\xED\xA0\x80",
                                 "\xF4\x90\x80\x80", "ab\xE3\x81", "\xFF\xFE\xFD"};
    for (const std::string& native : cases) {
        const std::u16string wide = NativeToWide(native);
        std::size_t escapes = 0;
        for (char16_t unit : wide)
            escapes += unit >= 0xDC80 && unit <= 0xDCFF;
        EXPECT_EQ(escapes, static_cast<std::size_t>(std::count_if(native.begin(), native.end(),
                                                                  [](char c) { return c & 0x80; })))
            << native;
        EXPECT_EQ(WideToNative(wide), native) << native;
    }
    EXPECT_EQ(NativeToWide("caf\xE9"), std::u16string(u"caf") + char16_t{0xDCE9});

    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        const std::string one(1, static_cast<char>(byte));
        EXPECT_EQ(WideToNative(NativeToWide(one)), one);
    }
}

}  // namespace
