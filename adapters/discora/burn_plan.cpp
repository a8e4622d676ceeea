#include "adapters/discora/burn_plan.h"

#include "adapters/discora/dvd_language.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace discora {
namespace fs = std::filesystem;
namespace {

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool IsImageFile(const std::string& path)
{
    std::string extension = Lower(fs::path(path).extension().string());
    return extension == ".iso" || extension == ".img";
}

// ISO 9660 volume labels: up to 32 upper-case letters, digits and underscores.
std::string VolumeLabel(const std::string& path)
{
    std::string label;
    for (char c : fs::path(path).stem().string()) {
        if (label.size() == 32)
            break;
        label += std::isalnum(static_cast<unsigned char>(c))
                     ? static_cast<char>(std::toupper(static_cast<unsigned char>(c)))
                     : '_';
    }
    return label.empty() ? "DISC" : label;
}

std::string XmlText(const std::string& text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        default: out += c;
        }
    }
    return out;
}

// Words of a list option (-f, -l): up to the next option.
bool EndsList(const std::string& word)
{
    return word == "-t" || word == "-f" || word == "-l" || word.starts_with("--");
}

// What one title set holds alike: dvdauthor keeps one picture shape and one set of audio
// attributes per title set, so a title of another shape needs a title set of its own.
struct TitleSetKey {
    DvdPicture picture;
    std::vector<std::string> languages; // two-letter codes, empty for a stream of unknown language

    bool operator==(const TitleSetKey& other) const
    {
        return picture.format == other.picture.format && picture.wide == other.picture.wide &&
               languages == other.languages;
    }
};

std::vector<std::string> DvdLanguages(const std::string& word)
{
    std::vector<std::string> languages;
    bool known = false;
    std::istringstream tags(word);
    for (std::string tag; std::getline(tags, tag, ',');) {
        languages.push_back(DvdLanguage(tag));
        known = known || !languages.back().empty();
    }
    // No language known: dvdauthor finds the streams itself.
    return known ? languages : std::vector<std::string>();
}

std::string TitleSetText(const TitleSetKey& key, const std::vector<std::string>& files)
{
    std::string text = "  <titleset>\n    <titles>\n      <video format=\"" + key.picture.format + "\" aspect=\"" +
                       (key.picture.wide ? "16:9\" widescreen=\"nopanscan" : "4:3") + "\"/>\n";
    for (const std::string& language : key.languages)
        text += language.empty() ? "      <audio/>\n" : "      <audio lang=\"" + language + "\"/>\n";
    for (const std::string& file : files)
        text += "      <pgc><vob file=\"" + XmlText(file) + "\"/></pgc>\n";
    return text + "    </titles>\n  </titleset>\n";
}

} // namespace

Parsed ParseCommandLine(const std::vector<std::string>& arguments)
{
    Parsed parsed;
    Options& o = parsed.options;
    bool sawBurn = false;
    bool sawLanguages = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& word = arguments[i];
        auto value = [&](const char* what) -> std::optional<std::string> {
            if (i + 1 >= arguments.size()) {
                parsed.error = std::string(what) + " needs a value.";
                return std::nullopt;
            }
            return arguments[++i];
        };
        if (word == "--help" || word == "-h") {
            o.help = true;
        } else if (word == "--dry-run") {
            o.dryRun = true;
        } else if (word == "burn") {
            sawBurn = true;
        } else if (word == "--image" || word == "--device") {
            auto v = value(word.c_str());
            if (!v)
                return parsed;
            (word == "--image" ? o.imagePath : o.device) = *v;
        } else if (word == "-t") {
            auto v = value("-t");
            if (!v)
                return parsed;
            o.burnType = *v;
        } else if (word == "-f" || word == "-l") {
            std::vector<std::string>& list = word == "-f" ? o.files : o.languages;
            while (i + 1 < arguments.size() && !EndsList(arguments[i + 1]))
                list.push_back(arguments[++i]);
            sawLanguages = sawLanguages || word == "-l";
        } else {
            parsed.error = "Unknown parameter: " + word;
            return parsed;
        }
    }
    if (o.help)
        return parsed;
    if (!sawBurn)
        parsed.error = "The first parameter is the command \"burn\".";
    else if (o.files.empty())
        parsed.error = "No file follows -f.";
    else if (o.burnType.empty())
        parsed.error = "No burn type follows -t.";
    else if (sawLanguages && o.languages.size() != o.files.size())
        parsed.error = "-l needs one word for each file of -f.";
    return parsed;
}

bool IsProgramStream(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    unsigned char head[4] = {};
    in.read(reinterpret_cast<char*>(head), 4);
    return in.gcount() == 4 && head[0] == 0 && head[1] == 0 && head[2] == 1 && head[3] == 0xBA;
}

DvdPicture ReadDvdPicture(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> head(1 << 16);
    in.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(in.gcount()));
    for (std::size_t i = 0; i + 7 <= head.size(); ++i) {
        if (head[i] == 0 && head[i + 1] == 0 && head[i + 2] == 1 && head[i + 3] == 0xB3) {
            DvdPicture picture;
            int lines = ((head[i + 5] & 0x0F) << 8) | head[i + 6];
            picture.format = lines == 576 ? "pal" : "ntsc";
            int aspect = head[i + 7] >> 4; // 2 is 4:3, 3 is 16:9, 4 is 2.21:1
            picture.wide = aspect == 3 || aspect == 4;
            return picture;
        }
    }
    return {};
}

Plan MakePlan(const Options& options, const std::string& workFolder)
{
    Plan plan;
    const std::string label = VolumeLabel(options.files.front());
    if (options.files.size() == 1 && IsImageFile(options.files.front())) {
        plan.kind = DiscKind::Image;
        plan.image = options.files.front();
        return plan;
    }
    const bool dvd = Lower(options.burnType).starts_with("dvd") &&
                     std::all_of(options.files.begin(), options.files.end(), IsProgramStream);
    if (dvd) {
        plan.kind = DiscKind::DvdVideo;
        plan.image = options.imagePath.empty() ? workFolder + "/dvd.iso" : options.imagePath;
        const std::string video = workFolder + "/dvd";
        // A control file, since dvdauthor takes the TV system of its menus and the titles'
        // languages on no command line. Titles alike share a title set; the order stays the run's.
        std::vector<TitleSetKey> keys;
        std::vector<std::vector<std::string>> sets;
        for (std::size_t i = 0; i < options.files.size(); ++i) {
            TitleSetKey key{ReadDvdPicture(options.files[i]), options.languages.empty()
                                                                  ? std::vector<std::string>()
                                                                  : DvdLanguages(options.languages[i])};
            if (keys.empty() || !(keys.back() == key)) {
                keys.push_back(key);
                sets.emplace_back();
            }
            sets.back().push_back(options.files[i]);
        }
        plan.controlFile = workFolder + "/dvd.xml";
        plan.controlText = "<dvdauthor dest=\"" + XmlText(video) + "\">\n";
        plan.controlText += "  <vmgm><menus><video format=\"" + keys.front().picture.format + "\"/></menus></vmgm>\n";
        for (std::size_t k = 0; k < keys.size(); ++k)
            plan.controlText += TitleSetText(keys[k], sets[k]);
        plan.controlText += "</dvdauthor>\n";
        plan.makeImage.push_back({"dvdauthor", {"-x", plan.controlFile}});
        // ISO 9660 with a UDF bridge, the layout DVD players read.
        plan.makeImage.push_back(
            {"genisoimage", {"-quiet", "-dvd-video", "-udf", "-V", label, "-o", plan.image, video}});
        return plan;
    }
    plan.kind = DiscKind::Data;
    plan.image = options.imagePath.empty() ? workFolder + "/data.iso" : options.imagePath;
    Command data{"xorriso", {"-as", "mkisofs", "-quiet", "-r", "-J", "-V", label, "-o", plan.image, "-graft-points"}};
    for (const std::string& file : options.files)
        data.arguments.push_back("/" + fs::path(file).filename().string() + "=" + file);
    plan.makeImage.push_back(data);
    return plan;
}

Command BurnCommand(const std::string& image, const std::string& device)
{
    return {"xorriso", {"-as", "cdrecord", "-v", "dev=" + device, "blank=as_needed", "-eject", image}};
}

std::optional<std::string> FirstWritableDrive(const std::string& devicesReport)
{
    // Lines such as: 0  -dev '/dev/sr0' rwrw-- :  'VENDOR  ' 'MODEL'
    std::istringstream lines(devicesReport);
    for (std::string line; std::getline(lines, line);) {
        std::size_t dev = line.find("-dev '");
        if (dev == std::string::npos)
            continue;
        std::size_t start = dev + 6, end = line.find('\'', start);
        if (end == std::string::npos)
            continue;
        std::size_t permissions = line.find_first_not_of(' ', end + 1);
        if (permissions != std::string::npos && line.compare(permissions, 2, "rw") == 0)
            return line.substr(start, end - start);
    }
    return std::nullopt;
}

std::string CommandLine(const Command& command)
{
    auto quote = [](const std::string& word) {
        bool plain = !word.empty() && std::all_of(word.begin(), word.end(), [](char c) {
            return std::isalnum(static_cast<unsigned char>(c)) ||
                   std::string_view("-_./=:,+").find(c) != std::string_view::npos;
        });
        if (plain)
            return word;
        std::string quoted = "'";
        for (char c : word)
            quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
        return quoted + "'";
    };
    std::string line = quote(command.program);
    for (const std::string& argument : command.arguments)
        line += " " + quote(argument);
    return line;
}

std::string UsageText()
{
    return "Usage: discora burn -f FILE... -t TYPE [-l LANGUAGES...] [--image PATH] [--device DRIVE]\n"
           "                    [--dry-run]\n"
           "       discora\n"
           "       discora --help | --version\n"
           "\n"
           "Without parameters discora opens its window, where an image, files or a folder\n"
           "and a burn type are picked, then burned or saved as an image.\n"
           "\n"
           "Burns files to the first writable optical drive with xorriso:\n"
           "  an image (.iso, .img) as it is;\n"
           "  with a DVD burn type, MPEG program streams as a DVD-Video (dvdauthor, then an\n"
           "  ISO 9660 + UDF image);\n"
           "  any other files as a data disc.\n"
           "A DVD-Video gives each run of titles of one picture shape and one set of audio\n"
           "languages a title set of its own.\n"
           "\n"
           "  -l LANGUAGES... one word per file: its audio streams' languages (ISO 639),\n"
           "                  comma-separated, \"und\" where not known; for example -l eng,deu fra\n"
           "  --image PATH    save the disc image at PATH instead of burning it\n"
           "  --device DRIVE  burn to DRIVE (for example /dev/sr0)\n"
           "  --dry-run       print the commands without running them\n"
           "\n"
           "Exit status: 0 burned or saved, 1 failed, 2 usage error.\n";
}

} // namespace discora
