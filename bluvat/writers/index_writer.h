#pragma once
// index.bdmv and MovieObject.bdmv: title i plays playlist i; first play plays them all in turn.

#include <cstdint>
#include <string>
#include <vector>

namespace bluvat {

std::vector<uint8_t> buildIndex(int titles);
std::vector<uint8_t> buildMovieObjects(int titles);

// Create the file (reporting "create index.bdmv error" / "create MovieObject.bdmv error"); true when written.
bool writeIndex(const std::string& path, int titles);
bool writeMovieObjects(const std::string& path, int titles);

} // namespace bluvat
