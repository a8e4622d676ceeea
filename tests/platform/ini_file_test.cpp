#include "platform/ini_file.h"
#include "temp_folder.h"

#include <cstring>
#include <sys/stat.h>

#include <gtest/gtest.h>

using namespace platform::ini;

TEST(IniRead, LookupIsCaseInsensitiveAndFirstMatchWins)
{
    TempFolder t;
    auto f = t.write("a.ini", "[Video]\nCodec=first\ncodec=second\n[VIDEO]\nCodec=third\nOnlyHere=x\n");
    EXPECT_EQ(ReadString(f, "video", "CODEC"), "first");
    // A key in a duplicate section is not seen: the first section of the name is the section.
    EXPECT_EQ(ReadString(f, "Video", "OnlyHere", "dflt"), "dflt");
    EXPECT_EQ(ReadString(f, "Audio", "Codec", "none"), "none");
    EXPECT_EQ(ReadString(t.path("missing.ini"), "Video", "Codec", "none"), "none");
}

TEST(IniRead, OddFilesReadByTheSameRules)
{
    TempFolder t;
    auto f =
        t.write("odd.ini", "\xEF\xBB\xBF[Info]\r\n; a comment=not a key\r\nno equals sign\r\n  Language = Deutsch  \r\n"
                           "Empty=\r\n[Bad\xff\xfe]\r\nK=\xc3\x28\r\n[Last]\r\nTail=end");
    EXPECT_EQ(ReadString(f, "Info", "Language"), "Deutsch");
    EXPECT_EQ(ReadString(f, "Info", "Empty", "dflt"), "");
    EXPECT_EQ(ReadString(f, "Info", "; a comment", "dflt"), "dflt");
    EXPECT_EQ(ReadString(f, "Bad\xff\xfe", "K"), "\xc3\x28");
    EXPECT_EQ(ReadString(f, "Last", "Tail"), "end");
    EXPECT_EQ(SectionNames(f), (std::vector<std::string>{"Info", "Bad\xff\xfe", "Last"}));
}

TEST(IniRead, BufferIsCutAtCapacityLessOne)
{
    TempFolder t;
    auto f = t.write("a.ini", "[S]\nK=abcdefghij\n");
    char buffer[8];
    std::memset(buffer, 'X', sizeof buffer);
    EXPECT_EQ(ReadString(f, "S", "K", "", buffer, 5), 4u);
    EXPECT_STREQ(buffer, "abcd");
    EXPECT_EQ(buffer[5], 'X'); // nothing written past the capacity
    EXPECT_EQ(ReadString(f, "S", "Missing", "fallback", buffer, 4), 3u);
    EXPECT_STREQ(buffer, "fal");
}

TEST(IniRead, IntegersAreTheLeadingDecimalNumber)
{
    TempFolder t;
    auto f = t.write("a.ini", "[S]\nA=42abc\nB=-7\nC=abc\nD=\nE=0x10\nF=  15  \n");
    EXPECT_EQ(ReadInt(f, "S", "A", 99), 42);
    EXPECT_EQ(ReadInt(f, "S", "B", 99), -7);
    EXPECT_EQ(ReadInt(f, "S", "C", 99), 0);
    EXPECT_EQ(ReadInt(f, "S", "D", 99), 0);
    EXPECT_EQ(ReadInt(f, "S", "E", 99), 0);
    EXPECT_EQ(ReadInt(f, "S", "F", 99), 15);
    EXPECT_EQ(ReadInt(f, "S", "Missing", 99), 99);
}

// A section read once answers every key as the one-key reads do, from the file as it was read.
TEST(IniRead, SectionReadOnceKeepsTheLookupRules)
{
    TempFolder t;
    auto f = t.write("a.ini", "[Video]\nCodec=first\ncodec=second\nRate=-25fps\nName = abcdefghij \n"
                              "[VIDEO]\nOnlyHere=x\n");
    const Section video(f, "vIdEo");
    EXPECT_EQ(video.ReadString("CODEC"), "first");
    EXPECT_EQ(video.ReadString("OnlyHere", "dflt"), "dflt");
    EXPECT_EQ(video.ReadInt("rate", 99), -25);
    EXPECT_EQ(video.ReadInt("Missing", 99), 99);
    char buffer[8];
    std::memset(buffer, 'X', sizeof buffer);
    EXPECT_EQ(video.ReadString("name", "", buffer, 5), 4u);
    EXPECT_STREQ(buffer, "abcd");
    EXPECT_EQ(buffer[5], 'X');
    EXPECT_EQ(video.ReadString("Missing", "fallback", buffer, 4), 3u);
    EXPECT_STREQ(buffer, "fal");

    ASSERT_TRUE(WriteString(f, "Video", "Codec", "changed"));
    EXPECT_EQ(video.ReadString("Codec"), "first");
    EXPECT_EQ(Section(f, "Video").ReadString("Codec"), "changed");
    EXPECT_EQ(Section(t.path("missing.ini"), "Video").ReadString("Codec", "none"), "none");
    EXPECT_EQ(Section(f, "Audio").ReadInt("Rate", 7), 7);
}

TEST(IniWrite, KeepsEveryOtherLineAndTheLineEndings)
{
    TempFolder t;
    auto f = t.write("a.ini", "; header comment\r\n[One]\r\nA=1\r\n\r\n[Two]\r\nB=2\r\n");
    ASSERT_TRUE(WriteString(f, "one", "a", "10"));
    ASSERT_TRUE(WriteString(f, "One", "New", "x"));
    ASSERT_TRUE(WriteString(f, "Three", "C", "3"));
    EXPECT_EQ(t.read("a.ini"),
              "; header comment\r\n[One]\r\na=10\r\nNew=x\r\n\r\n[Two]\r\nB=2\r\n\r\n[Three]\r\nC=3\r\n");
}

TEST(IniWrite, CreatesTheFileAndRoundTripsUtf8)
{
    TempFolder t;
    std::string f = t.path("new.ini");
    ASSERT_TRUE(WriteString(f, "Info", "Language", "日本語 (Japanese)"));
    EXPECT_EQ(ReadString(f, "info", "language"), "日本語 (Japanese)");
    EXPECT_EQ(t.read("new.ini"), "[Info]\nLanguage=日本語 (Japanese)\n");
}

TEST(IniWrite, FailureLeavesTheFileAsItWas)
{
    TempFolder t;
    EXPECT_FALSE(WriteString(t.path("no-such-folder/a.ini"), "S", "K", "V"));
    EXPECT_FALSE(std::filesystem::exists(t.path("no-such-folder")));
}

TEST(IniSections, ANameMayHoldABracket)
{
    TempFolder t;
    std::string f = t.path("a.ini");
    ASSERT_TRUE(WriteString(f, "MP4 [HQ]", "TargetType", "mp4"));
    ASSERT_TRUE(WriteString(f, "mp4 [hq]", "TargetType", "m4v"));
    EXPECT_EQ(SectionNames(f), (std::vector<std::string>{"MP4 [HQ]"}));
    EXPECT_EQ(ReadString(f, "MP4 [HQ]", "TargetType"), "m4v");
    EXPECT_EQ(ReadString(f, "MP4 [HQ", "TargetType", "none"), "none");
}

TEST(IniSections, NamesFillANulSeparatedBuffer)
{
    TempFolder t;
    auto f = t.write("a.ini", "[mp4 video]\n[MP4 Video]\n[Third]\n");
    char buffer[64];
    std::memset(buffer, 'X', sizeof buffer);
    std::size_t used = ReadSectionNames(f, buffer, sizeof buffer);
    EXPECT_EQ(used, 26u);
    EXPECT_EQ(std::string(buffer, 27), std::string("mp4 video\0MP4 Video\0Third\0\0", 27));
    EXPECT_EQ(buffer[63], '\0'); // the whole buffer is zeroed first

    // Names that do not fit whole are left out; the list still ends with an empty name.
    char small[16];
    ReadSectionNames(f, small, sizeof small);
    EXPECT_EQ(std::string(small, 11), std::string("mp4 video\0\0", 11));
}

TEST(IniWrite, UpdatesTheFileBehindALinkAndKeepsItsMode)
{
    TempFolder t;
    std::string real = t.write("real.ini", "[S]\nK=1\n");
    std::filesystem::permissions(real, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    std::filesystem::create_symlink(real, t.path("link.ini"));
    ASSERT_TRUE(WriteString(t.path("link.ini"), "S", "K", "2"));
    EXPECT_TRUE(std::filesystem::is_symlink(t.path("link.ini")));
    EXPECT_EQ(ReadString(real, "S", "K"), "2");
    EXPECT_EQ(std::filesystem::status(real).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST(IniWrite, AFileThatCannotBeReadIsLeftAlone)
{
    TempFolder t;
    // A pipe in the file's place is neither waited on nor replaced.
    ASSERT_EQ(::mkfifo(t.path("pipe.ini").c_str(), 0600), 0);
    EXPECT_EQ(ReadString(t.path("pipe.ini"), "S", "K", "dflt"), "dflt");
    EXPECT_FALSE(WriteString(t.path("pipe.ini"), "S", "K", "V"));
    EXPECT_EQ(std::filesystem::status(t.path("pipe.ini")).type(), std::filesystem::file_type::fifo);
}
