#pragma once
// The disc step after a run: a Blu-ray or AVCHD folder authored by bluvat from the converted
// streams, packed into an image by nx_udf and offered to the burner; for other burn types the
// converted files go to the burner as they are. Nothing the user has is lost on the way: the
// converted files are removed only once the image holds them, and the folder and the image are
// made under hidden partial names. A cancel stops the step between titles or during the image.

#include "reelvane/conversion/run_observer.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace reelvane {

struct DiscJob {
    std::string burnType;
    std::vector<std::string> outputs; // the converted files, in run order
    std::string outputFolder;         // ends with "/"; the folder and the image go here
    std::string currentOutput;        // its name without extension names the authoring folder
    std::string programFolder;        // the libraries and the burner
    // The outputs this run wrote; only these are removed once authored. Sources authored as
    // they are stay untouched.
    std::vector<std::string> written;
    // Per output, the language tags of its audio streams ("" not known), for a DVD's title sets.
    std::vector<std::vector<std::string>> audioLanguages;
    // Per output, its chapter starts in seconds from its start; an output without an entry or
    // with none takes its own (a Matroska source's), and every title starts with a chapter.
    std::map<std::string, std::vector<double>> chapters;
};

struct DiscResult {
    bool ok = true;
    std::string result;     // the image or the files handed to the burner; on failure what was kept
    bool cancelled = false; // stopped at a safe point: the converted files stay, nothing else
};

// The disc phase's progress line: a percentage and the library's text.
using DiscStatus = std::function<void(int percent, const std::string& text)>;

DiscResult RunDiscOutput(const DiscJob& job, RunObserver& observer, const DiscStatus& status);

// The burner's parameters: "burn", "-f", each file, "-t", the burn type; then, where a language
// is known, "-l" and per file its audio languages ("eng,deu", "und" where not known).
std::vector<std::string> BurnerArguments(const std::vector<std::string>& files, const std::string& burnType,
                                         const std::vector<std::vector<std::string>>& audioLanguages = {});

// folder + name + extension, with " (1)", " (2)", ... after the name while that path exists.
std::string FreePath(const std::string& folder, const std::string& name, const std::string& extension);

} // namespace reelvane
