#pragma once
// A file written under a temporary name beside its target (the target's name + ".part-PID-N") and
// given the target's name only when complete, so that a failed or interrupted write never leaves a
// partial file under that name.

#include <cstddef>
#include <string>

namespace platform {

class StagedFile {
public:
    explicit StagedFile(std::string target);
    ~StagedFile(); // removes the temporary unless committed
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    // Creates the temporary in the target's folder.
    bool Open();
    bool Write(const void* data, std::size_t size);
    // Flushes the data to the device and renames the temporary to the target. Without `replace`
    // an existing target is left as it is and the commit fails.
    bool Commit(bool replace);

    const std::string& error() const { return error_; }

private:
    bool Fail(const std::string& what);
    void Discard();

    std::string target_;
    std::string temporary_;
    int fd_ = -1;
    bool committed_ = false;
    std::string error_;
};

// Writes a whole file through a StagedFile.
bool WriteFileStaged(const std::string& path, const void* data, std::size_t size, bool replace,
                     std::string* error = nullptr);

} // namespace platform
