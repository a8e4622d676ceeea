// The engine's entry points besides probing: set-up, the reader flag and the conversion.

#include "adapters/quorla/subtitle_style.h"
#include "adapters/vexen/cover_picture.h"
#include "adapters/vexen/ffmpeg_runner.h"
#include "adapters/vexen/vector_translation.h"
#include "adapters/vexen/vexen.h"

#include "platform/debug_output.h"
#include "platform/process_runner.h"
#include "platform/settings_store.h"

extern "C" {
#include <libavutil/log.h>
}

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace {

// Per thread, so that conversions run side by side each keep their own.
thread_local int32_t platformReaderFlag = 0;
constexpr double kMessageValue = -1.0; // the callback's value for "show this message"

int32_t Report(EngineProgressCallback callback, const std::string& message)
{
    platform::DebugOutput("vexen: " + message);
    if (callback)
        callback(message.c_str(), kMessageValue);
    return -1;
}

} // namespace

extern "C" int32_t VCInit(void)
{
    av_log_set_level(AV_LOG_QUIET); // unreadable files are reported through the records
    return 0;
}

extern "C" int32_t VCExit(void)
{
    return 0;
}

// There is no player to stop: probing opens nothing that outlives the call.
extern "C" int32_t ExitPlayCurrentFile(void)
{
    return 0;
}

// FFmpeg reads the formats of the platform reader itself; the flag is only recorded.
extern "C" void EnableDshow(int32_t enable)
{
    platformReaderFlag = enable;
}

extern "C" int32_t ffmain(int32_t argc, char** argv, EngineProgressCallback callback)
{
    try {
        std::vector<std::string> words;
        for (int32_t i = 0; i < argc && argv && argv[i]; ++i)
            words.emplace_back(argv[i]);
        // The style the user chose in the subtitle style dialog, when there is one.
        std::string style;
        if (auto stored = quorla::ReadStoredStyle(platform::SettingsStore()))
            style = quorla::ForceStyleText(*stored);
        vexen::Translation translation = vexen::TranslateEngineVector(words, style);
        if (!translation.error.empty())
            return Report(callback, translation.error);

        // Covers go in as attachments, which ffmpeg takes from files only.
        std::optional<vexen::CoverFile> cover =
            translation.coverStream >= 0 ? vexen::CoverFile::Write(translation.coverSource, translation.coverStream)
                                         : std::nullopt;
        if (cover)
            translation.arguments.insert(translation.arguments.end() - 1,
                                         {"-attach", cover->path(), "-metadata:s:t:0", "mimetype=" + cover->mimeType(),
                                          "-metadata:s:t:0", "filename=" + cover->name()});

        std::string name = vexen::FfmpegProgramName();
        auto program = platform::FindProgram(name);
        if (!program)
            return Report(callback, "The conversion program \"" + name + "\" was not found.");

        std::string line = *program;
        for (const std::string& argument : translation.arguments)
            line += " " + argument;
        platform::DebugOutput("vexen: " + line);

        std::error_code error;
        bool outputExisted =
            std::filesystem::symlink_status(translation.output, error).type() != std::filesystem::file_type::not_found;
        auto progress = [callback](double seconds) { return callback ? callback("", seconds) : 0; };
        vexen::RunReport report = vexen::RunFfmpeg(*program, translation.arguments, progress);
        switch (report.outcome) {
        case vexen::RunOutcome::Finished: return 0;
        case vexen::RunOutcome::Stopped: return 1;
        case vexen::RunOutcome::Failed:
            // ffmpeg may have made the file before failing; an empty or cut one must not stay
            // behind looking like a result.
            if (!outputExisted)
                std::filesystem::remove(translation.output, error);
            return Report(callback, report.message);
        }
    } catch (const std::exception& error) {
        return Report(callback, std::string("The conversion could not be run: ") + error.what());
    }
    return -1;
}
