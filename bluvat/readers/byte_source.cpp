#include "bluvat/readers/byte_source.h"

#include <cstring>

namespace bluvat {

ByteSource::~ByteSource()
{
    if (file_)
        std::fclose(file_);
}

bool ByteSource::Open(const std::string& path)
{
    file_ = std::fopen(path.c_str(), "rb");
    if (!file_)
        return false;
    std::setvbuf(file_, nullptr, _IONBF, 0);
    if (std::fseek(file_, 0, SEEK_END) != 0)
        return false;
    long end = std::ftell(file_);
    if (end < 0 || std::fseek(file_, 0, SEEK_SET) != 0)
        return false;
    size_ = static_cast<uint64_t>(end);
    buffer_.resize(kBufferSize);
    return true;
}

bool ByteSource::Seek(uint64_t offset)
{
    if (offset >= fileOffset_ && offset <= fileOffset_ + end_) {
        pos_ = static_cast<std::size_t>(offset - fileOffset_);
        return true;
    }
    if (offset > size_ || std::fseek(file_, static_cast<long>(offset), SEEK_SET) != 0)
        return false;
    fileOffset_ = offset;
    pos_ = end_ = 0;
    return true;
}

bool ByteSource::Refill(std::size_t need)
{
    // Keep the unread tail, then top the buffer up from the file.
    std::size_t keep = end_ - pos_;
    if (pos_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + pos_, keep);
        fileOffset_ += pos_;
        pos_ = 0;
        end_ = keep;
    }
    while (end_ < need) {
        std::size_t got = std::fread(buffer_.data() + end_, 1, buffer_.size() - end_, file_);
        if (got == 0)
            return false;
        end_ += got;
    }
    return true;
}

const uint8_t* ByteSource::Peek(std::size_t n)
{
    if (end_ - pos_ < n && (n > buffer_.size() || !Refill(n)))
        return nullptr;
    return buffer_.data() + pos_;
}

std::size_t ByteSource::Read(uint8_t* dst, std::size_t n)
{
    std::size_t done = 0;
    while (done < n) {
        std::size_t avail = end_ - pos_;
        if (avail == 0) {
            if (!Refill(1))
                break;
            continue;
        }
        std::size_t take = avail < n - done ? avail : n - done;
        std::memcpy(dst + done, buffer_.data() + pos_, take);
        pos_ += take;
        done += take;
    }
    return done;
}

} // namespace bluvat
