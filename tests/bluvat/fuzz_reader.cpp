// libFuzzer entry: the input becomes a source file, authored into a scratch stream file.

#include "fuzz_one.h"

#include <cstdio>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string input = "/tmp/bluvat_fuzz_" + std::to_string(getpid()) + ".ts";
    static const std::string output = "/tmp/bluvat_fuzz_" + std::to_string(getpid()) + ".m2ts";
    if (std::FILE* f = std::fopen(input.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    bluvat_test::authorInput(input, output);
    return 0;
}
