#pragma once
// index.bdmv and MovieObject.bdmv: title i plays playlist i; first play plays them all in turn.

#include <cstdint>
#include <string>
#include <vector>

namespace bluvat {

std::vector<uint8_t> BuildIndex(int titles);
std::vector<uint8_t> BuildMovieObjects(int titles);

// Writes BDMV/index.bdmv and BDMV/MovieObject.bdmv into `folder` (ending in '/'), each with its
// BDMV/BACKUP copy, reporting "create NAME error" or "write NAME error"; true when all were written.
bool WriteIndexFiles(const std::string& folder, int titles);

} // namespace bluvat
