#pragma once
// The command line, for scripts and servers: the same conversion run as the window.
//   reelvane --convert [--profile FILE.ini:SECTION | SECTION] [--output DIR] [--merge]
//            [--split CHOICE | --split-size MB] [--audio 1,2] [--subtitle FILE] [--burn]
//            [--jobs N|auto] [--copy-fitting | --re-encode] [--json] FILES...
//   reelvane --list-profiles | --help | --version

namespace reelvane {

// The exit status when the arguments ask for a command-line action (0 every task succeeded, 1
// something failed, 2 usage error), or -1 when they do not and the window shall start.
int RunCommandLine(int argc, char** argv);

} // namespace reelvane
