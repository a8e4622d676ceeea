#pragma once
// What a conversion run needs from whoever shows it: the main window, the command line or a
// test. The run calls these from the thread it runs on.

#include <string>

namespace reelvane {

class RunObserver {
public:
    virtual ~RunObserver() = default;
    // The progress line and bar: a percentage 0 to 100 and the line's text.
    virtual void ShowStatus(int percent, const std::string& text) = 0;
    // A message the user must read before the run goes on.
    virtual void ShowMessage(const std::string& caption, const std::string& text) = 0;
    // A yes/no question in the middle of the run; true for yes.
    virtual bool AskYesNo(const std::string& caption, const std::string& question) = 0;
    // Called by every progress callback, at most every few hundred milliseconds.
    virtual void Pump() {}
    // True once the user asked to cancel; the run stops at its next progress call.
    virtual bool CancelRequested() const = 0;
};

} // namespace reelvane
