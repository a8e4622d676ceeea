#pragma once
// Source trees and images in a fresh temporary folder per test.

#include <cstdint>
#include <filesystem>
#include <string>

namespace udf_test {

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

void WriteFile(const std::filesystem::path& path, const std::string& content);
// Content that differs at every byte position, so that a misplaced block shows.
std::string pattern(std::size_t size, uint32_t seed);
std::string ReadFile(const std::filesystem::path& path);

// A disc root with one clip and one playlist: 15 folders with the root, 23 entries below it.
void MakeDiscRoot(const std::filesystem::path& root);

// Builds the image and returns nx_udfc's result.
int build(const std::filesystem::path& source, const std::filesystem::path& image, const char* label = "BDMV");

} // namespace udf_test
