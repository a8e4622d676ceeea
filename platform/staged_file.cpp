#include "platform/staged_file.h"

#include "platform/file_moves.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

std::atomic<unsigned> stagedCounter{0};

} // namespace

StagedFile::StagedFile(std::string target) : target_(std::move(target))
{
}

StagedFile::~StagedFile()
{
    Discard();
}

bool StagedFile::Fail(const std::string& what)
{
    error_ = what + ": " + std::strerror(errno);
    Discard();
    return false;
}

void StagedFile::Discard()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (!committed_ && !temporary_.empty())
        ::unlink(temporary_.c_str());
    temporary_.clear();
}

bool StagedFile::Open()
{
    // A plain name, since a card's FAT hides no dot-name: a leftover shows what it is, and the
    // suffix keeps it from ending in the target's extension, so no player takes it for a video.
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = target_ + ".part-" + std::to_string(::getpid()) + "-" + std::to_string(stagedCounter++);
        // Mode 0666 lets the umask decide, as for any newly created file.
        fd_ = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ >= 0) {
            temporary_ = name;
            return true;
        }
        if (errno != EEXIST)
            return Fail("cannot create a file beside " + target_);
    }
    return Fail("cannot create a file beside " + target_);
}

bool StagedFile::Write(const void* data, std::size_t size)
{
    auto bytes = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t n = ::write(fd_, bytes, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return Fail("cannot write " + target_);
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool StagedFile::Commit(bool replace)
{
    if (fd_ < 0)
        return false;
    // Cards are pulled out right after a copy; the data must be on the device before the name.
    if (::fsync(fd_) != 0 && errno != EINVAL)
        return Fail("cannot write " + target_);
    if (::close(fd_) != 0) {
        fd_ = -1;
        return Fail("cannot write " + target_);
    }
    fd_ = -1;
    int renamed = replace ? std::rename(temporary_.c_str(), target_.c_str())
                          : RenameNoReplace(temporary_.c_str(), target_.c_str());
    if (renamed != 0)
        return Fail("cannot create " + target_);
    committed_ = true;
    temporary_.clear();
    return true;
}

bool WriteFileStaged(const std::string& path, const void* data, std::size_t size, bool replace, std::string* error)
{
    StagedFile file(path);
    bool ok = file.Open() && file.Write(data, size) && file.Commit(replace);
    if (!ok && error)
        *error = file.error();
    return ok;
}

} // namespace platform
