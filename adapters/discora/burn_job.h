#pragma once
// One burn from start to end, the same for the command line and the window: the checks of the
// files, the image made in a work folder, then saved or burned to the first writable drive.
// Steps and questions go through BurnUi.

#include "adapters/discora/burn_plan.h"

#include <optional>
#include <string>

namespace discora {

class BurnUi {
public:
    virtual ~BurnUi() = default;
    // A command or a step as it starts.
    virtual void Report(const std::string& line) = 0;
    // No drive was found for an image made from files: where to save it instead; nothing
    // discards it.
    virtual std::optional<std::string> WhereToSave(const std::string& suggestion) = 0;
};

struct BurnOutcome {
    int status = 0;    // 0 burned or saved, 1 failed
    std::string error; // why it failed; empty when the user declined to save
    std::string saved; // where the image was saved instead of burned
};

BurnOutcome RunBurn(const Options& options, BurnUi& ui);

} // namespace discora
