#pragma once
// What the burner does with its parameters: which disc the files make (an image as it is, a
// DVD-Video from MPEG program streams, or a data disc) and the commands that make and burn it.

#include <optional>
#include <string>
#include <vector>

namespace discora {

struct Options {
    std::vector<std::string> files;
    // -l: one word per file, its audio streams' language tags in stream order, comma-separated
    // ("und" for a stream whose language is not known)
    std::vector<std::string> languages;
    std::string burnType;
    bool dryRun = false;
    bool help = false;
    std::string imagePath; // --image: save the image here instead of burning
    std::string device;    // --device: burn to this drive instead of the first writable one
};

// The parsed command line, or the reason it is not one.
struct Parsed {
    Options options;
    std::string error;
};
Parsed ParseCommandLine(const std::vector<std::string>& arguments);

enum class DiscKind { Image, DvdVideo, Data };

struct Command {
    std::string program;
    std::vector<std::string> arguments;
};

struct Plan {
    DiscKind kind = DiscKind::Data;
    std::string controlFile; // written before the commands run, when not empty
    std::string controlText;
    std::vector<Command> makeImage; // empty when the input is already an image
    std::string image;
};

// True when the file starts with an MPEG program stream pack header.
bool IsProgramStream(const std::string& path);

// What the first MPEG-2 sequence header of a program stream says of its picture.
struct DvdPicture {
    std::string format = "ntsc"; // "pal" for 576 lines
    bool wide = false;           // a 16:9 (or wider) display aspect
};
DvdPicture ReadDvdPicture(const std::string& path);

// The commands that turn the files into one image in `workFolder` (or at `imagePath`).
Plan MakePlan(const Options& options, const std::string& workFolder);

// The command that burns `image` to `device`.
Command BurnCommand(const std::string& image, const std::string& device);

// The first drive xorriso lists that this user may write, from its "-devices" report.
std::optional<std::string> FirstWritableDrive(const std::string& devicesReport);

// A command as one line a reader can paste into a shell.
std::string CommandLine(const Command& command);

std::string UsageText();

} // namespace discora
