#pragma once
// The two commands of the tool on files: "Create Temp" and "Convert Now". They report through a
// small interface that the window implements with message boxes and the batch mode with the
// terminal.

#include <string>

namespace kavlo {

class KavloUi {
public:
    virtual ~KavloUi() = default;
    virtual void ShowMessage(const std::string& text) = 0;
    virtual void SetProgress(int percent) = 0;
};

enum class Outcome {
    Done,     // the template or the converted file is written; the program ends
    Ended,    // refused in a way that ends the program
    StayOpen, // refused; the user may choose again
};

// "Create Temp" on the clip `clipName` (or "No Choice") in `folder`.
Outcome CreateTemp(const std::string& folder, const std::string& clipName, KavloUi& ui);

// "Convert Now" on the names chosen in the window: writes "new_" + target name in `folder`.
Outcome ConvertChosen(const std::string& folder, const std::string& targetName, const std::string& templateName,
                      KavloUi& ui);

// "Convert Now" on whole paths, as the batch mode gives them.
Outcome ConvertFiles(const std::string& target, const std::string& templatePath, const std::string& output,
                     KavloUi& ui);

} // namespace kavlo
