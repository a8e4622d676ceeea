#pragma once
// File times and broken-down calendar times, as the system supplies them.
// Header-only: the libraries that must link against nothing of the system use it too.

#include <cstdint>
#include <ctime>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>

namespace platform {

// Seconds since 1970-01-01 UTC.
struct FileTimes {
    int64_t creation = 0;
    int64_t modification = 0;
    int64_t access = 0;
};

// Follows symbolic links. A file system that keeps no birth time gives the modification time.
inline bool ReadFileTimes(const std::string& path, FileTimes& times)
{
    struct statx st {};
    if (statx(AT_FDCWD, path.c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &st) != 0)
        return false;
    times.modification = st.stx_mtime.tv_sec;
    times.access = st.stx_atime.tv_sec;
    times.creation = (st.stx_mask & STATX_BTIME) ? st.stx_btime.tv_sec : times.modification;
    return true;
}

struct CalendarTime {
    int year = 1970;
    int month = 1; // 1-12
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int offsetMinutes = 0; // east of UTC
};

namespace detail {
inline CalendarTime MakeCalendarTime(const std::tm& t, long offsetSeconds)
{
    return {
        t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec, static_cast<int>(offsetSeconds / 60)};
}
} // namespace detail

inline CalendarTime UtcTime(int64_t seconds)
{
    std::time_t t = static_cast<std::time_t>(seconds);
    std::tm parts{};
    gmtime_r(&t, &parts);
    return detail::MakeCalendarTime(parts, 0);
}

// The machine's own zone, with the offset that held at that moment (summer time included).
inline CalendarTime LocalTime(int64_t seconds)
{
    std::time_t t = static_cast<std::time_t>(seconds);
    std::tm parts{};
    localtime_r(&t, &parts);
    return detail::MakeCalendarTime(parts, parts.tm_gmtoff);
}

} // namespace platform
