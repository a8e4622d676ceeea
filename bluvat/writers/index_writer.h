#pragma once
// index.bdmv and MovieObject.bdmv: title i plays playlist i; first play plays them all in turn.

#include <cstdint>
#include <string>
#include <vector>

namespace bluvat {

std::vector<uint8_t> buildIndex(int titles);
std::vector<uint8_t> buildMovieObjects(int titles);

// Write the file (reporting "create index.bdmv error", "write index.bdmv error" and the same for
// MovieObject.bdmv); true when written whole.
bool writeIndex(const std::string& path, int titles);
bool writeMovieObjects(const std::string& path, int titles);

} // namespace bluvat
