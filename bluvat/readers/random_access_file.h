#pragma once
// A read-only file read at explicit offsets, for formats that are walked by element sizes.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace bluvat {

class RandomAccessFile {
public:
    RandomAccessFile() = default;
    ~RandomAccessFile();
    RandomAccessFile(const RandomAccessFile&) = delete;
    RandomAccessFile& operator=(const RandomAccessFile&) = delete;

    bool Open(const std::string& path);
    uint64_t size() const { return size_; }
    // Up to `n` bytes from `offset` into `out` (resized to what arrived).
    void ReadAt(uint64_t offset, std::size_t n, std::vector<uint8_t>& out);

private:
    std::FILE* file_ = nullptr;
    uint64_t size_ = 0;
};

} // namespace bluvat
