#include "tests/fuzz/fuzz_target.h"
#include "platform/process_runner.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fuzz {

namespace {

// Targets write a file or more per input: in memory where the system offers a folder for it.
class ScratchFolder {
public:
    ScratchFolder()
    {
        std::error_code ec;
        const char* chosen = std::getenv("TMPDIR");
        const std::filesystem::path base = chosen && *chosen ? chosen
                                           : std::filesystem::is_directory("/dev/shm", ec)
                                               ? "/dev/shm"
                                               : std::filesystem::temp_directory_path();
        std::string pattern = (base / "reelvane-fuzz-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            Broken("cannot make a scratch folder under " + base.string());
        path_ = pattern;
    }
    ~ScratchFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

} // namespace

std::string Scratch(const std::string& name)
{
    static const ScratchFolder folder;
    return (folder.path() / name).string();
}

Bytes ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::string& path, const uint8_t* data, std::size_t size)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!out)
        Broken("cannot write the scratch file " + path);
}

Bytes MediaSeed(const std::string& name, const std::vector<std::string>& arguments, std::size_t keep)
{
    const std::string path = Scratch(name);
    std::vector<std::string> all = {"-hide_banner", "-loglevel", "error", "-nostdin", "-y"};
    all.insert(all.end(), arguments.begin(), arguments.end());
    all.push_back(path);
    if (platform::RunAndWait("ffmpeg", all) != 0)
        return {};
    Bytes bytes = ReadFile(path);
    std::filesystem::remove(path);
    bytes.resize(std::min(bytes.size(), keep));
    return bytes;
}

void Broken(const std::string& what)
{
    std::fprintf(stderr, "fuzz target: %s\n", what.c_str());
    std::abort();
}

} // namespace fuzz
