#pragma once
// A file written through one large buffer; remembers whether every byte reached the disk.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace bluvat {

class FileSink {
public:
    FileSink() = default;
    ~FileSink() { close(); }
    FileSink(const FileSink&) = delete;
    FileSink& operator=(const FileSink&) = delete;

    bool create(const std::string& path, std::size_t bufferSize);
    void write(const uint8_t* data, std::size_t n);
    // Flushes and closes; true when the file was created and every write succeeded.
    bool close();
    bool isOpen() const { return file_ != nullptr; }

private:
    void flush();

    std::FILE* file_ = nullptr;
    std::vector<uint8_t> buffer_;
    std::size_t used_ = 0;
    bool failed_ = false;
};

// Creates (truncating) and writes a whole small file; false when it could not be created or written.
bool writeWholeFile(const std::string& path, const std::vector<uint8_t>& bytes);
// Copies a file over another; false on any failure.
bool copyFile(const std::string& from, const std::string& to);

} // namespace bluvat
