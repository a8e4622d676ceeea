#include "udf_test_tree.h"

#include <fstream>
#include <random>
#include <sstream>

#include "nx_udf/nx_udf.h"

namespace fs = std::filesystem;

namespace udf_test {

TempFolder::TempFolder()
{
    std::string templ = (fs::temp_directory_path() / "nx_udf_test.XXXXXX").string();
    path_ = mkdtemp(templ.data());
}

TempFolder::~TempFolder()
{
    std::error_code ignored;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
}

void WriteFile(const fs::path& path, const std::string& content)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
}

std::string pattern(std::size_t size, uint32_t seed)
{
    std::string out(size, '\0');
    std::minstd_rand random(seed + 1);
    for (auto& c : out)
        c = static_cast<char>(random());
    return out;
}

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

void MakeDiscRoot(const fs::path& root)
{
    for (const char* folder :
         {"BDMV/AUXDATA", "BDMV/BDJO", "BDMV/JAR", "BDMV/META", "BDMV/BACKUP/BDJO", "CERTIFICATE/BACKUP"})
        fs::create_directories(root / folder);
    uint32_t seed = 0;
    for (const char* base : {"BDMV/", "BDMV/BACKUP/"}) {
        WriteFile(root / base / "index.bdmv", pattern(120, seed++));
        WriteFile(root / base / "MovieObject.bdmv", pattern(278, seed++));
        WriteFile(root / base / "PLAYLIST/00000.mpls", pattern(190, seed++));
        WriteFile(root / base / "CLIPINF/00000.clpi", pattern(300, seed++));
    }
    WriteFile(root / "BDMV/STREAM/00000.m2ts", pattern(6144 * 3 + 100, seed));
}

int build(const fs::path& source, const fs::path& image, const char* label)
{
    return nx_udfc(source.c_str(), label, image.c_str(), nullptr);
}

} // namespace udf_test
