#pragma once
// Small byte writers for binary records, so that each record reads like its table.
// Header-only: the libraries that must link against nothing of the system use it too.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

enum class Endian { Big, Little };

template <Endian E>
class ByteWriter {
public:
    ByteWriter() = default;
    explicit ByteWriter(std::size_t reserve) { bytes_.reserve(reserve); }
    // Writes into `storage` from its start, keeping what it has allocated.
    explicit ByteWriter(std::vector<uint8_t>&& storage) : bytes_(std::move(storage)) { bytes_.clear(); }

    ByteWriter& u8(uint32_t v)
    {
        bytes_.push_back(static_cast<uint8_t>(v));
        return *this;
    }
    ByteWriter& u16(uint32_t v) { return put(v, 2); }
    ByteWriter& u24(uint32_t v) { return put(v, 3); }
    ByteWriter& u32(uint32_t v) { return put(v, 4); }
    ByteWriter& u64(uint64_t v) { return put(v, 8); }
    ByteWriter& zeros(std::size_t n)
    {
        bytes_.insert(bytes_.end(), n, 0);
        return *this;
    }
    ByteWriter& fill(std::size_t n, uint8_t value)
    {
        bytes_.insert(bytes_.end(), n, value);
        return *this;
    }
    ByteWriter& bytes(const void* data, std::size_t n)
    {
        auto p = static_cast<const uint8_t*>(data);
        bytes_.insert(bytes_.end(), p, p + n);
        return *this;
    }
    ByteWriter& bytes(const std::vector<uint8_t>& data) { return bytes(data.data(), data.size()); }
    // Text without its terminator, padded with zeros (or cut) to exactly `width` bytes.
    ByteWriter& text(std::string_view s, std::size_t width)
    {
        std::size_t n = s.size() < width ? s.size() : width;
        bytes(s.data(), n);
        return zeros(width - n);
    }
    ByteWriter& text(std::string_view s) { return bytes(s.data(), s.size()); }

    // Overwrites an already written number, for lengths known only at the end of a record.
    void PatchU16(std::size_t at, uint32_t v) { patch(at, v, 2); }
    void PatchU32(std::size_t at, uint32_t v) { patch(at, v, 4); }
    void PatchU64(std::size_t at, uint64_t v) { patch(at, v, 8); }

    std::size_t size() const { return bytes_.size(); }
    const std::vector<uint8_t>& data() const { return bytes_; }
    std::vector<uint8_t>& data() { return bytes_; }
    std::vector<uint8_t> take() { return std::move(bytes_); }

private:
    ByteWriter& put(uint64_t v, int n)
    {
        for (int i = 0; i < n; ++i)
            bytes_.push_back(static_cast<uint8_t>(v >> shift(i, n)));
        return *this;
    }
    void patch(std::size_t at, uint64_t v, int n)
    {
        for (int i = 0; i < n; ++i)
            bytes_.at(at + i) = static_cast<uint8_t>(v >> shift(i, n));
    }
    static int shift(int i, int n) { return E == Endian::Big ? 8 * (n - 1 - i) : 8 * i; }

    std::vector<uint8_t> bytes_;
};

using BigEndianWriter = ByteWriter<Endian::Big>;
using LittleEndianWriter = ByteWriter<Endian::Little>;

// Bounds-checked reads from a byte span; a read past the end yields 0 and marks the reader failed.
template <Endian E>
class ByteReader {
public:
    ByteReader(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    uint32_t u8() { return static_cast<uint32_t>(get(1)); }
    uint32_t u16() { return static_cast<uint32_t>(get(2)); }
    uint32_t u24() { return static_cast<uint32_t>(get(3)); }
    uint32_t u32() { return static_cast<uint32_t>(get(4)); }
    uint64_t u64() { return get(8); }
    void skip(std::size_t n)
    {
        if (n > size_ - pos_) {
            failed_ = true;
            pos_ = size_;
            return;
        }
        pos_ += n;
    }
    bool seek(std::size_t at)
    {
        if (at > size_) {
            failed_ = true;
            return false;
        }
        pos_ = at;
        return true;
    }
    const uint8_t* here() const { return data_ + pos_; }
    std::size_t position() const { return pos_; }
    std::size_t remaining() const { return size_ - pos_; }
    bool failed() const { return failed_; }

private:
    uint64_t get(int n)
    {
        if (static_cast<std::size_t>(n) > size_ - pos_) {
            failed_ = true;
            pos_ = size_;
            return 0;
        }
        uint64_t v = 0;
        for (int i = 0; i < n; ++i) {
            uint64_t b = data_[pos_ + i];
            v |= E == Endian::Big ? b << (8 * (n - 1 - i)) : b << (8 * i);
        }
        pos_ += n;
        return v;
    }

    const uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
    bool failed_ = false;
};

using BigEndianReader = ByteReader<Endian::Big>;
using LittleEndianReader = ByteReader<Endian::Little>;

} // namespace platform
