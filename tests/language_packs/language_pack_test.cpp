// Checks the shipped language packs against the English pack and against the rules the program
// reads them by.
#include "pack_text_rules.h"
#include "platform/dir_listing.h"
#include "platform/ini_file.h"
#include "platform/system_language.h"
#include "reelvane/frame/language_table.h"

#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

using namespace pack_rules;

namespace {

const std::string kFolder = LANGUAGE_PACK_FOLDER;

std::vector<std::string> PackFiles()
{
    return platform::ListFiles(kFolder, "*.ini");
}

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Section -> key -> raw text (escapes not replaced), in file order.
using PackTexts = std::vector<std::pair<std::string, std::vector<std::pair<std::string, std::string>>>>;

PackTexts ReadPack(const std::string& file)
{
    PackTexts texts;
    const std::string path = kFolder + file;
    for (const std::string& section : platform::ini::SectionNames(path)) {
        texts.push_back({section, {}});
        for (const std::string& key : platform::ini::KeyNames(path, section))
            texts.back().second.push_back({key, platform::ini::ReadString(path, section, key, "\x01missing")});
    }
    return texts;
}

// Every (section, key) of English with its text, Info left out.
std::vector<std::pair<std::pair<std::string, std::string>, std::string>> EnglishTexts()
{
    std::vector<std::pair<std::pair<std::string, std::string>, std::string>> all;
    for (const auto& [section, keys] : ReadPack("english.ini"))
        if (section != "Info")
            for (const auto& [key, text] : keys)
                all.push_back({{section, key}, text});
    return all;
}

std::string Translation(const std::string& file, const std::string& section, const std::string& key)
{
    return platform::ini::ReadString(kFolder + file, section, key, "\x01missing");
}

} // namespace

TEST(LanguagePacks, FolderHoldsTheShippedPacks)
{
    const std::vector<std::string> expected = {"chinese_simplified.ini",
                                               "chinese_traditional.ini",
                                               "english.ini",
                                               "french.ini",
                                               "german.ini",
                                               "italian.ini",
                                               "japanese.ini",
                                               "korean.ini",
                                               "portuguese_brazil.ini",
                                               "russian.ini",
                                               "spanish.ini"};
    EXPECT_EQ(PackFiles(), expected);
}

TEST(LanguagePacks, FilesAreUtf8WithoutByteOrderMark)
{
    for (const std::string& file : PackFiles()) {
        std::string bytes = ReadBytes(kFolder + file);
        ASSERT_FALSE(bytes.empty()) << file;
        EXPECT_NE(bytes.compare(0, 3, "\xEF\xBB\xBF"), 0) << file << " starts with a byte order mark";
        EXPECT_TRUE(IsValidUtf8(bytes)) << file << " is not valid UTF-8";
        EXPECT_EQ(bytes.back(), '\n') << file << " lacks a final line feed";
    }
}

TEST(LanguagePacks, EnglishPackHoldsEveryBuiltInSectionWithItsKeyCount)
{
    const std::vector<std::pair<std::string, std::size_t>> expected = {{"Info", 1},
                                                                       {"COMMON_INFO", 1},
                                                                       {"CONVERSION_INFO", 3},
                                                                       {"MAIN_DLG", 89},
                                                                       {"OPTION_DLG", 13},
                                                                       {"OPTION_AUDIO_DLG", 15},
                                                                       {"OPTION_VIDEO_DLG", 13},
                                                                       {"OPTION_RESIZE_DLG", 5},
                                                                       {"OPTION_CROPPAD_DLG", 17},
                                                                       {"OPTION_GENERAL_DLG", 2},
                                                                       {"NEWPROFILE_DLG", 6},
                                                                       {"AUDIO_DLG", 3},
                                                                       {"SUBTITLE_DLG", 13},
                                                                       {"FILEINFO_DLG", 12},
                                                                       {"ABOUT_DLG", 7},
                                                                       {"WINDOW_INFO", 7},
                                                                       {"RUN_INFO", 56},
                                                                       {"EXTRACT_DLG", 1},
                                                                       {"SUBTITLE_STYLE_DLG", 18},
                                                                       {"DISCORA_DLG", 23},
                                                                       {"TRIM_DLG", 8}};
    std::vector<std::pair<std::string, std::size_t>> actual;
    for (const auto& [section, keys] : ReadPack("english.ini"))
        actual.push_back({section, keys.size()});
    EXPECT_EQ(actual, expected);

    // Only the media-type text has no built-in English.
    for (const auto& [where, text] : EnglishTexts())
        EXPECT_EQ(text.empty(), where.second == "strMediaType") << where.first << "/" << where.second;
}

TEST(LanguagePacks, EnglishEscapesReadBackAsTheBuiltInTexts)
{
    reelvane::LanguageTable table;
    table.SetLanguageFolder(kFolder);
    table.SelectLanguage("English");
    ASSERT_EQ(table.CurrentLanguageFile(), kFolder + "english.ini");
    struct Case {
        const char* section;
        const char* key;
        const char* builtin;
    };
    const Case cases[] = {
        {"CONVERSION_INFO", "strFormatInfo",
         "File Name:%s\r\nDuration:%02d:%02d:%02.1f\r\nStart Time:%.3fs\r\nBit Rate:%dkbit/s"},
        {"MAIN_DLG", "strAutoBurnInfo",
         "The Discora will automatically start, \nclick 'yes' to continue, click 'no' to cancel."},
        {"MAIN_DLG", "btnOptionInfo", "O&ptions"},
        {"OPTION_DLG", "btnSaveApplyInfo", "Save&&Apply"},
        {"OPTION_DLG", "tabCropPadPageInfo", "Crop & Pad"},
        {"MAIN_DLG", "strMediaType", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(table.LookupText(c.section, c.key, "\x01builtin"), c.builtin) << c.key;
}

TEST(LanguagePacks, EveryPackNamesItsLanguageOnceAcrossPacks)
{
    std::map<std::string, std::string> owner;
    for (const std::string& file : PackFiles()) {
        std::string name = Translation(file, "Info", "Language");
        EXPECT_FALSE(name.empty() || name == "\x01missing") << file;
        // The pack list reads the name with room for 99 bytes.
        EXPECT_LE(name.size(), 99u) << file;
        auto [at, fresh] = owner.insert({name, file});
        EXPECT_TRUE(fresh) << file << " and " << at->second << " share the name " << name;
    }
    reelvane::LanguageTable table;
    table.SetLanguageFolder(kFolder);
    EXPECT_EQ(table.ListLanguages().size(), PackFiles().size());
}

TEST(LanguagePacks, EveryPackHasExactlyTheEnglishSectionsAndKeys)
{
    std::set<std::pair<std::string, std::string>> english;
    for (const auto& [where, text] : EnglishTexts())
        english.insert(where);
    for (const std::string& file : PackFiles()) {
        std::set<std::pair<std::string, std::string>> seen;
        for (const auto& [section, keys] : ReadPack(file)) {
            for (const auto& [key, text] : keys) {
                if (section == "Info")
                    continue;
                // The reader takes the first of two equal keys; a second one is silently lost.
                EXPECT_TRUE(seen.insert({section, key}).second) << file << ": " << section << "/" << key << " twice";
                EXPECT_TRUE(english.count({section, key}))
                    << file << ": " << section << "/" << key << " is not an English key";
            }
        }
        for (const auto& where : english)
            EXPECT_TRUE(seen.count(where)) << file << ": missing " << where.first << "/" << where.second;
        EXPECT_EQ(platform::ini::SectionNames(kFolder + file).size(), ReadPack("english.ini").size())
            << file << " repeats a section";
    }
}

TEST(LanguagePacks, TranslationsKeepPrintfDirectivesInOrder)
{
    for (const std::string& file : PackFiles())
        for (const auto& [where, english] : EnglishTexts())
            EXPECT_EQ(PrintfDirectives(Translation(file, where.first, where.second)), PrintfDirectives(english))
                << file << ": " << where.first << "/" << where.second;
}

TEST(LanguagePacks, TranslationsKeepTheLineBreakEscapes)
{
    for (const std::string& file : PackFiles()) {
        for (const auto& [where, english] : EnglishTexts()) {
            std::string text = Translation(file, where.first, where.second);
            for (const char* escape : {"#13", "#17", "#19"})
                EXPECT_EQ(CountOf(text, escape), CountOf(english, escape))
                    << file << ": " << where.first << "/" << where.second << " " << escape;
        }
    }
}

TEST(LanguagePacks, TranslationsKeepMnemonicsAndLiteralAmpersands)
{
    for (const std::string& file : PackFiles()) {
        for (const auto& [where, english] : EnglishTexts()) {
            std::string text = Translation(file, where.first, where.second);
            Ampersands want = CountAmpersands(english);
            Ampersands got = CountAmpersands(text);
            std::string at = file + ": " + where.first + "/" + where.second + " = " + text;
            EXPECT_EQ(got.mnemonics, want.mnemonics) << at;
            EXPECT_EQ(got.literals, want.literals) << at;
            EXPECT_LE(got.dangling, want.dangling) << at;
        }
    }
}

TEST(LanguagePacks, TextsAreWholeAndFitTheReadCapacity)
{
    for (const std::string& file : PackFiles()) {
        const std::string bytes = ReadBytes(kFolder + file);
        for (const auto& [where, english] : EnglishTexts()) {
            std::string text = Translation(file, where.first, where.second);
            std::string at = file + ": " + where.first + "/" + where.second;
            // A text is read with room for 499 bytes; a longer one would be cut, maybe mid-character.
            EXPECT_LE(text.size(), 499u) << at;
            // An empty value is not a missing one: it would blank out the built-in text.
            EXPECT_EQ(text.empty(), english.empty()) << at;
            // The reader drops quotes around a value; the text must read back as written.
            EXPECT_NE(bytes.find(where.second + "=" + text + "\n"), std::string::npos)
                << at << " does not read back as written";
        }
    }
}

TEST(LanguagePacks, DefaultLanguagePicksThePackOfTheSystemLocale)
{
    reelvane::LanguageTable table;
    table.SetLanguageFolder(kFolder);
    const std::pair<const char*, const char*> cases[] = {
        {"de_DE.UTF-8", "german.ini"},
        {"fr_FR.UTF-8", "french.ini"},
        {"es_ES.UTF-8", "spanish.ini"},
        {"it_IT.UTF-8", "italian.ini"},
        {"pt_BR.UTF-8", "portuguese_brazil.ini"},
        {"pt_PT.UTF-8", "portuguese_brazil.ini"},
        {"ru_RU.UTF-8", "russian.ini"},
        {"zh_CN.UTF-8", "chinese_simplified.ini"},
        {"zh_TW.UTF-8", "chinese_traditional.ini"},
        {"ja_JP.UTF-8", "japanese.ini"},
        {"ko_KR.UTF-8", "korean.ini"},
        {"en_US.UTF-8", "english.ini"},
        {"en_GB.UTF-8", "english.ini"},
        {"cs_CZ.UTF-8", "english.ini"},
    };
    for (const auto& [locale, file] : cases) {
        std::string name = table.DefaultLanguageName(platform::LanguageIdFromLocale(locale));
        EXPECT_EQ(name, Translation(file, "Info", "Language")) << locale;
    }
}

TEST(LanguagePacks, RuleHelpersSeeWhatPrintfAndTheReaderSee)
{
    EXPECT_EQ(PrintfDirectives("Dauer: %02d:%02d:%02.1f, %.3fs, %lld%%, %-5s"),
              (std::vector<std::string>{"%02d", "%02d", "%02.1f", "%.3f", "%lld", "%%", "%-5s"}));
    // A stray percent sign is a directive to printf, or half of one.
    EXPECT_EQ(PrintfDirectives("100 % sicher"), (std::vector<std::string>{"% s"}));
    EXPECT_EQ(PrintfDirectives("50 %"), (std::vector<std::string>{"%?"}));
    EXPECT_EQ(PrintfDirectives("%5.y"), (std::vector<std::string>{"%5.?"}));

    Ampersands a = CountAmpersands("Save&&Apply &Open O&ptions Crop & Pad end&");
    EXPECT_EQ(a.literals, 1u);
    EXPECT_EQ(a.mnemonics, 2u);
    EXPECT_EQ(a.dangling, 2u);

    EXPECT_EQ(CountOf("a#17#13b#13#1313", "#13"), 3u);

    EXPECT_TRUE(IsValidUtf8("Größe 日本語 한국어 \xF0\x9F\x8E\xAC"));
    EXPECT_FALSE(IsValidUtf8("\xC3\x28"));         // broken sequence
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));         // overlong "/"
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));     // surrogate
    EXPECT_FALSE(IsValidUtf8("\xE6\x97"));         // cut short
    EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80")); // above U+10FFFF
}
