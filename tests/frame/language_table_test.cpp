#include "reelvane/frame/language_table.h"
#include "platform/system_language.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace reelvane;
using platform::MakeLanguageId;

namespace {

struct PackFolder {
    TempFolder folder;
    LanguageTable table;
    PackFolder()
    {
        folder.write("b_german.ini", "[Info]\nLanguage=Deutsch (German)\n[MAIN_DLG]\nbtnConvertInfo=&Konvertieren\n"
                                     "strTotalInfo=Gesamt#13Summe#19Tab#17\n");
        folder.write("a_english.ini", "[Info]\nLanguage=English\n");
        folder.write("c_noname.ini", "[Info]\nLanguage=\n");
        folder.write("d_german_copy.ini", "[Info]\nLanguage=Deutsch (German)\n[MAIN_DLG]\nbtnConvertInfo=Kopie\n");
        folder.write("e_swiss.ini", "[Info]\nLanguage=Deutsch (German (Swiss))\n");
        folder.write("f_japanese.ini", "[Info]\nLanguage=日本語 (Japanese)\n");
        folder.write("notes.txt", "[Info]\nLanguage=Not a pack\n");
        table.SetLanguageFolder(folder.path());
    }
};

} // namespace

TEST(LanguageTable, PacksAreListedInNameOrderAndNamelessFilesSkipped)
{
    PackFolder p;
    std::vector<std::string> names;
    for (const LanguagePack& pack : p.table.ListLanguages())
        names.push_back(pack.name + "|" + pack.fileName);
    EXPECT_EQ(names,
              (std::vector<std::string>{"English|a_english.ini", "Deutsch (German)|b_german.ini",
                                        "Deutsch (German)|d_german_copy.ini", "Deutsch (German (Swiss))|e_swiss.ini",
                                        "日本語 (Japanese)|f_japanese.ini"}));
    p.table.SetLanguageFolder(""); // ignored
    EXPECT_EQ(p.table.ListLanguages().size(), 5u);
}

TEST(LanguageTable, LookupUsesThePackThenTheBuiltInText)
{
    PackFolder p;
    EXPECT_EQ(p.table.LookupText("MAIN_DLG", "btnConvertInfo", "&Convert"), "&Convert"); // nothing selected yet
    p.table.SelectLanguage("Deutsch (German)");
    EXPECT_EQ(p.table.LookupText("main_dlg", "BTNCONVERTINFO", "&Convert"), "&Konvertieren");
    EXPECT_EQ(p.table.LookupText("MAIN_DLG", "strTotalInfo", ""), "Gesamt\nSumme\tTab\r");
    EXPECT_EQ(p.table.LookupText("MAIN_DLG", "btnRemoveInfo", "&Delete"), "&Delete");
    EXPECT_EQ(p.table.LookupText("NO_SECTION", "x", "A#13B"), "A\nB"); // escapes in built-in texts too
}

TEST(LanguageTable, DuplicateNamesSelectTheFirstPack)
{
    PackFolder p;
    p.table.SelectLanguageByIndex(2); // the copy
    EXPECT_EQ(p.table.CurrentLanguageName(), "Deutsch (German)");
    EXPECT_EQ(p.table.CurrentLanguageFile(), p.folder.path("b_german.ini"));
    EXPECT_EQ(p.table.LookupText("MAIN_DLG", "btnConvertInfo", ""), "&Konvertieren");
}

TEST(LanguageTable, AnUnknownNameKeepsTheCurrentFile)
{
    PackFolder p;
    p.table.SelectLanguage("Deutsch (German)");
    p.table.SelectLanguage("Klingon");
    EXPECT_EQ(p.table.CurrentLanguageName(), "Klingon");
    EXPECT_EQ(p.table.CurrentLanguageFile(), p.folder.path("b_german.ini"));
    p.table.SelectLanguageByIndex(99); // out of range: nothing changes
    EXPECT_EQ(p.table.CurrentLanguageName(), "Klingon");
}

TEST(LanguageTable, LongTextsAreCutAt499)
{
    TempFolder t;
    t.write("x.ini", "[Info]\nLanguage=" + std::string(150, 'L') + "\n[S]\nK=" + std::string(700, 'x') + "\n");
    LanguageTable table;
    table.SetLanguageFolder(t.path());
    ASSERT_EQ(table.ListLanguages().size(), 1u);
    EXPECT_EQ(table.ListLanguages()[0].name.size(), 99u);
    table.SelectLanguageByIndex(0);
    EXPECT_EQ(table.LookupText("S", "K", "").size(), 499u);
}

TEST(LanguageTable, SwitchingWhileAnotherThreadReadsKeepsEveryTextWhole)
{
    // Paths of different lengths, so that a torn read of the current file names neither pack.
    TempFolder folder;
    const std::string one = folder.write("one.ini", "[Info]\nLanguage=One\n[MAIN_DLG]\nbtnConvertInfo=first text\n");
    const std::string two =
        folder.write(std::string(120, 't') + ".ini", "[Info]\nLanguage=Two\n[MAIN_DLG]\nbtnConvertInfo=second text\n");
    LanguageTable table;
    table.SetLanguageFolder(folder.path());
    table.SelectLanguage("One");

    std::atomic<bool> stop{false};
    std::atomic<int> reads{0};
    std::atomic<int> broken{0};
    std::thread run([&] {
        while (!stop) {
            const std::string text = table.LookupText("MAIN_DLG", "btnConvertInfo", "built in");
            if (text != "first text" && text != "second text")
                ++broken;
            // The file itself, read far more often than a text is looked up.
            for (int i = 0; i < 100; ++i) {
                const std::string file = table.CurrentLanguageFile();
                if (file != one && file != two)
                    ++broken;
            }
            ++reads;
        }
    });
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(400);
    for (int i = 0; std::chrono::steady_clock::now() < until || reads < 200; ++i) {
        table.SelectLanguage(i % 2 ? "One" : "Two");
        table.SetLanguageFolder(folder.path());
    }
    stop = true;
    run.join();
    EXPECT_EQ(broken, 0);
    EXPECT_GE(reads, 200);
}

TEST(DefaultLanguage, BySystemLanguage)
{
    PackFolder p;
    // German (Germany): the sublanguage name "German" is found in "Deutsch (German)".
    EXPECT_EQ(p.table.DefaultLanguageName(MakeLanguageId(7, 1)), "Deutsch (German)");
    // German (Swiss) picks the Swiss pack.
    EXPECT_EQ(p.table.DefaultLanguageName(MakeLanguageId(7, 2)), "Deutsch (German (Swiss))");
    // Czech has no sublanguage row and no pack.
    EXPECT_EQ(p.table.DefaultLanguageName(MakeLanguageId(5, 1)), "English");
    // English (US) is in no pack name here: the answer is still English.
    EXPECT_EQ(p.table.DefaultLanguageName(MakeLanguageId(9, 1)), "English");
    // Japanese has no sublanguage row, but its shipped pack is found by the language name.
    EXPECT_EQ(p.table.DefaultLanguageName(MakeLanguageId(17, 1)), "日本語 (Japanese)");
    EXPECT_EQ(p.table.DefaultLanguageName(MakeLanguageId(500, 1)), "English");
}

TEST(DefaultLanguage, NameTables)
{
    EXPECT_EQ(PrimaryLanguageName(26), "Croatian"); // first row of the number wins
    EXPECT_EQ(PrimaryLanguageName(23), "");
    EXPECT_EQ(SubLanguageName(2, "Chinese"), "Chinese (Simplified)");
    EXPECT_EQ(SubLanguageName(1, "English"), "English (US)");
    EXPECT_EQ(SubLanguageName(2, "Uzbek"), "Uzbek (Cyrillic)");
    EXPECT_EQ(SubLanguageName(1, "Czech"), "");
    EXPECT_EQ(SubLanguageName(3, "Spanish"), "Spanish (Modern)");
}
