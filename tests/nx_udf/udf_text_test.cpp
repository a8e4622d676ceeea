#include <gtest/gtest.h>

#include "nx_udf/udf_text.h"

using namespace nx_udf;

TEST(NxUdfText, AsciiAndLatinNamesUseEightBits)
{
    EXPECT_EQ(*FileIdentifier("BDMV"), (std::vector<uint8_t>{8, 'B', 'D', 'M', 'V'}));
    EXPECT_EQ(*FileIdentifier("caf\xC3\xA9"), (std::vector<uint8_t>{8, 'c', 'a', 'f', 0xE9}));
}

TEST(NxUdfText, WiderNamesUseSixteenBitsWithSurrogates)
{
    // "é日" and U+1F600
    EXPECT_EQ(*FileIdentifier("\xC3\xA9\xE6\x97\xA5"), (std::vector<uint8_t>{16, 0x00, 0xE9, 0x65, 0xE5}));
    EXPECT_EQ(*FileIdentifier("\xF0\x9F\x98\x80"), (std::vector<uint8_t>{16, 0xD8, 0x3D, 0xDE, 0x00}));
}

TEST(NxUdfText, NamesThatCannotBeStoredAreRefused)
{
    EXPECT_TRUE(FileIdentifier(std::string(254, 'a')));
    EXPECT_FALSE(FileIdentifier(std::string(255, 'a')));
    std::string wide;
    for (int i = 0; i < 127; ++i)
        wide += "\xE6\x97\xA5";
    EXPECT_TRUE(FileIdentifier(wide)); // 1 + 254 bytes
    wide += "\xE6\x97\xA5";
    EXPECT_FALSE(FileIdentifier(wide));
    for (const char* bad : {"\xFF", "a\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE6\x97"})
        EXPECT_FALSE(DecodeUtf8(bad)) << bad;
}

TEST(NxUdfText, CutsAtWholeCharacters)
{
    std::u32string text = U"\U0001F600\U0001F600ab";
    auto cut = CompressedUnicode(text, 8); // ID + 3 units: the second pair does not fit
    EXPECT_EQ(cut, (std::vector<uint8_t>{16, 0xD8, 0x3D, 0xDE, 0x00}));
    EXPECT_EQ(CompressedUnicode(U"abcdef", 4), (std::vector<uint8_t>{8, 'a', 'b', 'c'}));
}
