#include "bluvat/writers/file_sink.h"

#include "bluvat/report.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace bluvat {
namespace {

// Copies a file over another; false on any failure, which leaves no copy behind.
bool CopyFile(const std::string& from, const std::string& to)
{
    std::error_code ec;
    std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing, ec);
    if (ec) {
        std::error_code ignored;
        std::filesystem::remove(to, ignored);
    }
    return !ec;
}

} // namespace

bool FileSink::Create(const std::string& path, std::size_t bufferSize)
{
    Close();
    file_ = std::fopen(path.c_str(), "wb");
    if (!file_)
        return false;
    std::setvbuf(file_, nullptr, _IONBF, 0);
    buffer_.resize(bufferSize);
    used_ = 0;
    failed_ = false;
    return true;
}

void FileSink::Flush()
{
    if (used_ > 0 && std::fwrite(buffer_.data(), 1, used_, file_) != used_)
        failed_ = true;
    used_ = 0;
}

void FileSink::Write(const uint8_t* data, std::size_t n)
{
    if (!file_)
        return;
    if (n >= buffer_.size() / 16) { // large blocks go straight out, saving a copy
        Flush();
        if (std::fwrite(data, 1, n, file_) != n)
            failed_ = true;
        return;
    }
    while (n > 0) {
        if (used_ == buffer_.size())
            Flush();
        std::size_t take = std::min(n, buffer_.size() - used_);
        std::memcpy(buffer_.data() + used_, data, take);
        used_ += take;
        data += take;
        n -= take;
    }
}

bool FileSink::Close()
{
    if (!file_)
        return false;
    Flush();
    if (std::fclose(file_) != 0)
        failed_ = true;
    file_ = nullptr;
    return !failed_;
}

WholeFile WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return WholeFile::NotCreated;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (std::fclose(f) == 0 && ok)
        return WholeFile::Written;
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
    return WholeFile::NotWritten;
}

void ReportUnwritten(WholeFile outcome, const std::string& name)
{
    if (outcome == WholeFile::NotCreated)
        ReportError("create " + name + " error");
    else if (outcome == WholeFile::NotWritten)
        ReportError("write " + name + " error");
}

bool WriteWithBackup(const std::string& path, const std::string& backup, const std::vector<uint8_t>& bytes,
                     const std::string& name)
{
    WholeFile outcome = WriteWholeFile(path, bytes);
    if (outcome == WholeFile::Written && !CopyFile(path, backup))
        outcome = WholeFile::NotWritten; // a disc without its backup copy is not finished either
    ReportUnwritten(outcome, name);
    return outcome == WholeFile::Written;
}

} // namespace bluvat
