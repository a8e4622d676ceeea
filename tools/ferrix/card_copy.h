#pragma once
// Copies one video onto a removable card or into a given folder, with its ".THM" thumbnail when
// the card is a portable player's (it keeps its videos under "MP_ROOT").

#include <functional>
#include <string>
#include <vector>

namespace ferrix {

inline constexpr const char* kCannotFindPsp = "Cannot find PSP";

// Also the program's exit status. A failed copy or a folder outside the card is shown with its reason.
enum class CopyStatus { Copied = 0, NothingDone = 1, CopyFailed = 2 };

struct CopyRequest {
    std::string source;      // "/i"
    std::string destination; // "/o"
};

CopyStatus CopyToCard(const CopyRequest& request, const std::vector<std::string>& removableRoots,
                      const std::function<void(const std::string&)>& showMessage);

// An absolute path whose first folder exists here; any other destination lies on a card.
bool IsPathWithDrive(const std::string& destination);

// Copies through a temporary beside the target; fails, and changes nothing, when the target
// exists already. Empty when copied, else why not.
std::string CopyFileNoReplace(const std::string& source, const std::string& target);

} // namespace ferrix
