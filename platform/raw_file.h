#pragma once
// Unbuffered files for whole-file streaming: holes are found and kept, and data moves
// between files inside the kernel where it can.
// Header-only: the libraries that must link against nothing of the system use it too.

#include <cerrno>
#include <cstdint>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace platform {

class RawInputFile {
public:
    // Non-blocking, so that a pipe found in a file's place cannot stall the reader.
    explicit RawInputFile(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)) {}
    ~RawInputFile()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    RawInputFile(const RawInputFile&) = delete;
    RawInputFile& operator=(const RawInputFile&) = delete;

    bool opened() const { return fd_ >= 0; }
    int descriptor() const { return fd_; }

    // Where data starts at or after `offset`; `end` when only a hole (or nothing) follows.
    uint64_t NextData(uint64_t offset, uint64_t end) const
    {
        off_t at = ::lseek(fd_, static_cast<off_t>(offset), SEEK_DATA);
        if (at < 0)
            return errno == ENXIO ? end : offset; // a file system without hole support is all data
        return static_cast<uint64_t>(at) < end ? static_cast<uint64_t>(at) : end;
    }
    // Where the data that starts at `offset` ends, at most `end`.
    uint64_t NextHole(uint64_t offset, uint64_t end) const
    {
        off_t at = ::lseek(fd_, static_cast<off_t>(offset), SEEK_HOLE);
        if (at < 0)
            return end;
        return static_cast<uint64_t>(at) < end ? static_cast<uint64_t>(at) : end;
    }

private:
    int fd_;
};

// Written front to back. The first failure sticks: later calls do nothing and ok() stays false.
class RawOutputFile {
public:
    RawOutputFile() = default;
    ~RawOutputFile() { Close(); }
    RawOutputFile(const RawOutputFile&) = delete;
    RawOutputFile& operator=(const RawOutputFile&) = delete;

    // Creates the file; false (errno EEXIST) when anything already has that name.
    bool Create(const std::string& path)
    {
        fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        ok_ = fd_ >= 0;
        error_ = ok_ ? 0 : errno;
        return ok_;
    }
    bool ok() const { return ok_; }
    // The errno of the first failure; 0 while ok().
    int error() const { return error_; }
    uint64_t position() const { return position_; }

    void Write(const void* data, std::size_t size)
    {
        auto p = static_cast<const char*>(data);
        while (ok_ && size > 0) {
            ssize_t n = ::write(fd_, p, size);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                Failed(n == 0 ? ENOSPC : errno);
                break;
            }
            p += n;
            size -= static_cast<std::size_t>(n);
            position_ += static_cast<uint64_t>(n);
        }
    }
    void Write(const std::vector<uint8_t>& bytes) { Write(bytes.data(), bytes.size()); }

    // Zero bytes that take no room: a hole, made real by the next write or by Close().
    void Skip(uint64_t size)
    {
        if (!ok_ || size == 0)
            return;
        if (::lseek(fd_, static_cast<off_t>(size), SEEK_CUR) < 0)
            Failed(errno);
        else
            position_ += size;
    }

    // Copies up to `size` bytes of `in` from `offset`; fewer when the source ends early.
    // Returns the bytes copied; a failure to read or write marks the output failed.
    uint64_t Copy(const RawInputFile& in, uint64_t offset, uint64_t size)
    {
        uint64_t done = 0;
        bool inKernel = true;
        while (ok_ && done < size) {
            std::size_t chunk = static_cast<std::size_t>(size - done < kChunk ? size - done : kChunk);
            ssize_t n;
            if (inKernel) {
                loff_t from = static_cast<loff_t>(offset + done);
                n = ::copy_file_range(in.descriptor(), &from, fd_, nullptr, chunk, 0);
                if (n < 0 && (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP)) {
                    inKernel = false;
                    continue;
                }
            } else {
                n = CopyThroughBuffer(in, offset + done, chunk);
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                Failed(errno);
            if (n <= 0)
                break;
            done += static_cast<uint64_t>(n);
            if (inKernel)
                position_ += static_cast<uint64_t>(n);
        }
        return done;
    }

    // Gives the file its full length (a trailing hole included) and closes it.
    bool Close()
    {
        if (fd_ < 0)
            return ok_;
        if (ok_ && ::ftruncate(fd_, static_cast<off_t>(position_)) != 0)
            Failed(errno);
        if (::close(fd_) != 0 && ok_)
            Failed(errno);
        fd_ = -1;
        return ok_;
    }

private:
    static constexpr std::size_t kChunk = 8u << 20;

    void Failed(int error)
    {
        ok_ = false;
        error_ = error;
    }

    ssize_t CopyThroughBuffer(const RawInputFile& in, uint64_t offset, std::size_t size)
    {
        buffer_.resize(kChunk);
        ssize_t n = ::pread(in.descriptor(), buffer_.data(), size, static_cast<off_t>(offset));
        if (n > 0)
            Write(buffer_.data(), static_cast<std::size_t>(n));
        return n;
    }

    int fd_ = -1;
    bool ok_ = false;
    int error_ = 0;
    uint64_t position_ = 0;
    std::vector<char> buffer_;
};

} // namespace platform
