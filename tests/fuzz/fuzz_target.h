#pragma once
// What every fuzz target provides: the libFuzzer entry and the inputs it starts from. The same
// target runs under libFuzzer with coverage (scripts/fuzz) and under the mutation driver of the
// test run.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace fuzz {

using Bytes = std::vector<uint8_t>;

// Small inputs the target starts from; media is made with the ffmpeg program.
std::vector<Bytes> Seeds();

// A path in a folder of this process, removed at exit.
std::string Scratch(const std::string& name);

Bytes ReadFile(const std::string& path);
void WriteFile(const std::string& path, const uint8_t* data, std::size_t size);
inline void WriteFile(const std::string& path, const Bytes& bytes)
{
    WriteFile(path, bytes.data(), bytes.size());
}

// The first `keep` bytes of a file the ffmpeg program makes from `arguments` (the output path is
// added); nothing when ffmpeg failed.
Bytes MediaSeed(const std::string& name, const std::vector<std::string>& arguments, std::size_t keep);

// A promise of the code under test was broken: stops the run like a crash, so that libFuzzer
// keeps the input as a finding and the test run fails.
[[noreturn]] void Broken(const std::string& what);

} // namespace fuzz
