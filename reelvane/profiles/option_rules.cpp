#include "reelvane/profiles/option_rules.h"

#include "reelvane/conversion/checked_format.h"
#include "reelvane/frame/language_table.h"
#include "reelvane/profiles/profile_file.h"

#include <cstdio>
#include <filesystem>
#include <strings.h>

namespace reelvane {
namespace {

void ReportFailedSave(const std::string& path, OptionSaveUi& ui)
{
    ui.ShowMessage(FillText(LookupText("MAIN_DLG", "strProfileSaveFailInfo",
                                       "The profile could not be saved in %s. The task keeps the new settings."),
                            {path}));
}

} // namespace

const std::vector<std::string>& AudioCodecChoices()
{
    static const std::vector<std::string> choices = {
        "auto",          "aac",           "ac3",           "amr_nb",       "amr_wb",
        "gsm",           "mp2",           "mp3",           "vorbis",       "adpcm_ima_qt",
        "adpcm_ima_wav", "adpcm_ima_dk3", "adpcm_ima_dk4", "adpcm_ima_ws", "adpcm_ima_smjpeg",
        "adpcm_ms",      "adpcm_4xm",     "adpcm_xa",      "adpcm_adx",    "adpcm_ea",
        "adpcm_g726",    "adpcm_ct",      "adpcm_swf",     "adpcm_yamaha", "pcm_s32le",
        "pcm_s32be",     "pcm_u32le",     "pcm_u32be",     "pcm_s24le",    "pcm_s24be",
        "pcm_u24le",     "pcm_u24be",     "pcm_s24daud",   "pcm_s16le",    "pcm_s16be",
        "pcm_u16le",     "pcm_u16be",     "pcm_s8",        "pcm_u8",       "pcm_alaw",
        "pcm_mulaw",     "opus",          "alac"};
    return choices;
}

const std::vector<std::string>& VideoCodecChoices()
{
    static const std::vector<std::string> choices = {
        "auto",  "dvvideo",    "h261",       "h263",  "h263p",     "h264",      "huffyuv", "flv",      "ljpeg",
        "mjpeg", "mpeg1video", "mpeg2video", "mpeg4", "msmpeg4v1", "msmpeg4v2", "msmpeg4", "rawvideo", "rv10",
        "rv20",  "svq1",       "wmv1",       "wmv2",  "xvid",      "asv1",      "asv2",    "zlib",     "pam",
        "pbm",   "pgm",        "pgmyuv",     "png",   "ppm",       "hevc",      "av1",     "vp9"};
    return choices;
}

int CodecChoiceIndex(const std::vector<std::string>& choices, const std::string& codec)
{
    for (std::size_t i = 0; i < choices.size(); ++i)
        if (::strcasecmp(choices[i].c_str(), codec.c_str()) == 0)
            return static_cast<int>(i);
    return 0;
}

std::string PadColorText(int32_t rgb)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%02X%02X%02X", (rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
    return text;
}

FrameSize SheetFrameSize(int32_t resizeOption, FrameSize source, FrameSize custom)
{
    if (resizeOption == 0)
        return source;
    if (resizeOption == 9)
        return custom;
    ProfileSettings choice = EmptyProfileSettings();
    choice.nVideoRiszeOption = resizeOption;
    return OutputFrameSize(choice);
}

bool ConfirmOptions(ConversionTask& task, const ProfileSettings& edited, SaveChoice choice,
                    const ProfileFolders& folders, OptionSaveUi& ui)
{
    task.settings = edited;
    task.settings.nSourceHeight = task.probed.sourceHeight;
    task.settings.nSourceWidth = task.probed.sourceWidth;
    task.settings.fSourceAspect = 0;
    DeriveDefaultBitRate(task.settings);

    if (choice == SaveChoice::None)
        return true;
    const std::string path = folders.WritablePath(task.settings.iniPath);
    if (path.empty()) {
        ReportFailedSave(folders.user + std::filesystem::path(task.settings.iniPath).filename().string(), ui);
        return false;
    }
    // The task follows the file written, so that its next save goes there too.
    SetText(task.settings.iniPath, path);
    if (choice == SaveChoice::Save) {
        if (WriteProfile(task.settings.profileName, task.settings, path))
            return true;
        ReportFailedSave(path, ui);
        return false;
    }

    std::string name = std::string("New ") + task.settings.profileName;
    for (;;) {
        std::optional<std::string> typed = ui.AskProfileName(name);
        if (!typed)
            return false;
        name = *typed;
        int saved = SaveProfileAsNew(name, task.settings, path);
        if (saved == 1)
            break;
        if (saved < 0) {
            ReportFailedSave(path, ui);
            return false;
        }
        ui.ShowMessage(LookupText("MAIN_DLG", "strProfileNameExistedInfo",
                                  "The name has been conflicted with existed. Please modify to another profile name"));
    }
    SetText(task.settings.profileName, name);
    if (!folders.RememberSaved(std::filesystem::path(path).filename().string(), name))
        ui.ShowMessage(folders.ChoiceFailedText());
    return true;
}

} // namespace reelvane
