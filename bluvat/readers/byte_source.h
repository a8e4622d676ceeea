#pragma once
// Reads a file through one large buffer; callers look at contiguous windows of it.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace bluvat {

// 116 x 9024: whole 188- and 192-byte packets. Kept near a megabyte, since a buffer much larger
// than the processor caches makes every copy through it several times slower.
constexpr std::size_t kBufferSize = 1046784;

class ByteSource {
public:
    ByteSource() = default;
    ~ByteSource();
    ByteSource(const ByteSource&) = delete;
    ByteSource& operator=(const ByteSource&) = delete;

    bool Open(const std::string& path);
    uint64_t size() const { return size_; }
    uint64_t position() const { return fileOffset_ + pos_; }
    bool Seek(uint64_t offset);

    // At least `n` contiguous bytes from the current position, or null when the file ends first.
    const uint8_t* Peek(std::size_t n);
    void Advance(std::size_t n) { pos_ += n; }
    // Copies up to `n` bytes; returns how many arrived.
    std::size_t Read(uint8_t* dst, std::size_t n);

private:
    bool Refill(std::size_t need);

    std::FILE* file_ = nullptr;
    uint64_t size_ = 0;
    std::vector<uint8_t> buffer_;
    uint64_t fileOffset_ = 0; // file offset of buffer_[0]
    std::size_t pos_ = 0;     // current position inside buffer_
    std::size_t end_ = 0;     // valid bytes in buffer_
};

} // namespace bluvat
