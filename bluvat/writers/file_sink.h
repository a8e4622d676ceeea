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
    ~FileSink() { Close(); }
    FileSink(const FileSink&) = delete;
    FileSink& operator=(const FileSink&) = delete;

    bool Create(const std::string& path, std::size_t bufferSize);
    void Write(const uint8_t* data, std::size_t n);
    // Flushes and closes; true when the file was created and every write succeeded.
    bool Close();
    bool isOpen() const { return file_ != nullptr; }
    bool failed() const { return failed_; }

private:
    void Flush();

    std::FILE* file_ = nullptr;
    std::vector<uint8_t> buffer_;
    std::size_t used_ = 0;
    bool failed_ = false;
};

enum class WholeFile { Written, NotCreated, NotWritten };

// Creates (truncating) and writes a whole small file. A file that could not be written whole is
// removed again, so that no short file passes for a finished one.
WholeFile WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes);
// Reports "create NAME error" or "write NAME error" for a file that was not written.
void ReportUnwritten(WholeFile outcome, const std::string& name);
// Writes a whole file and its backup copy, reporting a failure of either under `name` as
// reportUnwritten does; true when both were written.
bool WriteWithBackup(const std::string& path, const std::string& backup, const std::vector<uint8_t>& bytes,
                     const std::string& name);

} // namespace bluvat
