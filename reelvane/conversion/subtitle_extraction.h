#pragma once
// Offers the subtitle tracks of a newly added Matroska source, extracts them into the output
// folder and attaches what was written to the task.

#include "reelvane/conversion/trakkel_binding.h"
#include "reelvane/tasks/conversion_task.h"

#include <string>

namespace reelvane {

// What the extraction needs from whoever shows it: the window, or a test's scripted answers.
class ExtractionUi {
public:
    virtual ~ExtractionUi() = default;
    // The yes/no question before extracting; true for yes.
    virtual bool AskExtract(const std::string& question) = 0;
    virtual void BeginProgress() = 0;
    // Called for every step of the extraction; the place to keep the window alive.
    virtual void ShowProgress(int percent, const std::string& text) = 0;
    virtual void EndProgress() = 0;
    virtual void ShowFailure(const std::string& message) = 0;
};

// ".idx", ".ssa", ".ass", ".usf" or ".srt" for a track's codec text.
std::string SubtitleExtension(const std::string& codecText);

// outputFolder + "<source base>_<index><extension>", with " (1)", " (2)", ... after it while a
// file of that name (or, for ".idx", its ".sub") exists.
std::string ExtractedSubtitlePath(const std::string& outputFolder, const std::string& sourcePath, int index,
                                  const std::string& extension);

// True for sources whose name ends with "mkv" in any case.
bool OffersSubtitleExtraction(const std::string& sourcePath);

// The track preparation of a new task. Returns the number of subtitle files attached.
int PrepareSubtitleTracks(ConversionTask& task, const TrakkelBinding& trakkel, const std::string& outputFolder,
                          ExtractionUi& ui);

} // namespace reelvane
