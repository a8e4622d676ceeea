#include "platform/own_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

bool Trusted(const struct stat& st, bool systemOwnerToo)
{
    const bool owner = st.st_uid == ::geteuid() || (systemOwnerToo && st.st_uid == 0);
    return S_ISREG(st.st_mode) && owner && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

} // namespace

bool IsTrustedFile(const std::string& path, bool systemOwnerToo)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && Trusted(st, systemOwnerToo);
}

std::optional<std::string> ReadOwnFile(const std::string& path, std::size_t limit)
{
    // Checked on the open file, so that nothing can be put in its place between check and read.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat st;
    std::optional<std::string> contents;
    if (::fstat(fd, &st) == 0 && Trusted(st, false) && static_cast<std::size_t>(st.st_size) <= limit) {
        std::string bytes(static_cast<std::size_t>(st.st_size), '\0');
        std::size_t done = 0;
        for (ssize_t n; done < bytes.size(); done += static_cast<std::size_t>(n)) {
            n = ::read(fd, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR)
                n = 0;
            else if (n <= 0)
                break;
        }
        if (done == bytes.size())
            contents = std::move(bytes);
    }
    ::close(fd);
    return contents;
}

} // namespace platform
