#pragma once

namespace reelvane {

class MainWindow;
class TrakkelBinding;

// The skin and the dialog colours of the start-up steps; the application object must exist.
void ApplyProgramColours();

// The per-task dialogs open from the window's buttons and menus; a new task's subtitle tracks
// are offered as it is added.
void ConnectTaskDialogs(MainWindow& window, const TrakkelBinding& trakkel);

// Starts the program with its window, in the order of the start-up steps, and runs it until the
// window closes. Files named on the command line are added as tasks.
int RunApplication(int argc, char** argv);

} // namespace reelvane
