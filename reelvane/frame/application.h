#pragma once

namespace reelvane {

// The skin and the dialog colours of the start-up steps; the application object must exist.
void ApplyProgramColours();

// Starts the program with its window, in the order of the start-up steps, and runs it until the
// window closes. Files named on the command line are added as tasks.
int RunApplication(int argc, char** argv);

} // namespace reelvane
