#pragma once

namespace reelvane {

// Starts the program with its window, in the order of the start-up steps, and runs it until the
// window closes. Files named on the command line are added as tasks.
int RunApplication(int argc, char** argv);

} // namespace reelvane
