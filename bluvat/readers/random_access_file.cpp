#include "bluvat/readers/random_access_file.h"

#include "bluvat/report.h"

namespace bluvat {

RandomAccessFile::~RandomAccessFile()
{
    if (file_)
        std::fclose(file_);
}

bool RandomAccessFile::Open(const std::string& path)
{
    file_ = std::fopen(path.c_str(), "rb");
    if (!file_ || std::fseek(file_, 0, SEEK_END) != 0)
        return false;
    long end = std::ftell(file_);
    if (end < 0) {
        ReportError("fgetpos error");
        return false;
    }
    size_ = static_cast<uint64_t>(end);
    return true;
}

void RandomAccessFile::ReadAt(uint64_t offset, std::size_t n, std::vector<uint8_t>& out)
{
    out.resize(n);
    std::size_t got = 0;
    if (file_ && offset < size_ && std::fseek(file_, static_cast<long>(offset), SEEK_SET) == 0)
        got = std::fread(out.data(), 1, n, file_);
    out.resize(got);
}

} // namespace bluvat
