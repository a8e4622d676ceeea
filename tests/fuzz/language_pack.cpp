// Language packs from anywhere: the pack list of a folder, the choice by name and by the system
// language, every text looked up, and the pack's own printf formats: the file information, the
// custom split size and the end-of-run notice.

#include "tests/fuzz/fuzz_target.h"

#include "platform/ini_file.h"
#include "reelvane/conversion/probed_source.h"
#include "reelvane/conversion/run_status.h"
#include "reelvane/frame/language_table.h"
#include "reelvane/tasks/split_choices.h"

#include <cstring>
#include <filesystem>

std::vector<fuzz::Bytes> fuzz::Seeds()
{
    std::vector<Bytes> seeds;
    for (const char* name : {"english.ini", "german.ini", "chinese_simplified.ini"}) {
        Bytes pack = ReadFile(std::string(REELVANE_SOURCE_FOLDER "/data/language/lumo/") + name);
        if (!pack.empty())
            seeds.push_back(std::move(pack));
    }
    const std::string small =
        "[Info]\nLanguage=Deutsch (German)\n[CONVERSION_INFO]\n"
        "strFormatInfo=%-20s#13%+05d:%02d:%#08.3f %.3f %d %%\n[MAIN_DLG]\nstrAddFileInfo=#17#19#1\n"
        "[WINDOW_INFO]\nstrSplitSizeStatusInfo=%-8s MB\n[RUN_INFO]\nstrRunFinishedInfo=%03d %+d\n";
    seeds.emplace_back(small.begin(), small.end());
    return seeds;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string folder = [] {
        const std::string packs = fuzz::Scratch("packs") + "/";
        std::filesystem::create_directories(packs);
        return packs;
    }();
    const std::string path = folder + "pack.ini";
    fuzz::WriteFile(path, data, size);

    reelvane::LanguageTable& languages = reelvane::Languages();
    languages.SetLanguageFolder(folder);
    for (uint16_t languageId : {0x0407, 0x0804, 0x0419, 0x0409})
        languages.DefaultLanguageName(languageId);
    languages.SelectLanguageByIndex(0);
    // Each lookup reads the pack again: a few dozen keep the run fast.
    int lookups = 48;
    for (const std::string& section : platform::ini::SectionNames(path))
        for (const std::string& key : platform::ini::KeyNames(path, section))
            if (lookups-- > 0)
                reelvane::LookupText(section, key, "builtin");

    MediaFileInfo info{};
    std::strcpy(info.fileName, "/videos/clip.mkv");
    info.duration = 5'025'000'000;
    info.startTime = 1'400'000;
    info.bitRate = 2'000'000;
    if (reelvane::InformationHeading(info).size() > reelvane::kInformationTextLimit)
        fuzz::Broken("the file information is longer than its limit");

    static const reelvane::TaskList tasks = [] {
        reelvane::TaskList list;
        list.Add(std::make_unique<reelvane::ConversionTask>());
        return list;
    }();
    reelvane::IdleStatusFor(tasks, "Custom", 700);
    reelvane::RunFinishedText(3, 7);
    return 0;
}
