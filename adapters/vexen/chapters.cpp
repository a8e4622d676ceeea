// A source's chapter starts: they sit in the container's header, so opening it is enough.

#include "adapters/vexen/local_input.h"
#include "adapters/vexen/vexen.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include <algorithm>
#include <cstdlib>
#include <vector>

extern "C" int32_t GetChapterStarts(const char* path, double** starts, int32_t* count)
{
    if (starts)
        *starts = nullptr;
    if (count)
        *count = 0;
    if (!starts || !count)
        return -1;
    AVFormatContext* format = vexen::OpenLocalInput(path);
    if (!format)
        return -1;
    int32_t result = 0;
    try {
        std::vector<double> seconds;
        for (unsigned i = 0; i < format->nb_chapters; ++i)
            seconds.push_back(static_cast<double>(format->chapters[i]->start) * av_q2d(format->chapters[i]->time_base));
        std::sort(seconds.begin(), seconds.end());
        if (!seconds.empty()) {
            *starts = static_cast<double*>(std::malloc(seconds.size() * sizeof(double)));
            if (*starts) {
                std::copy(seconds.begin(), seconds.end(), *starts);
                *count = static_cast<int32_t>(seconds.size());
            } else {
                result = -1;
            }
        }
    } catch (...) { // nothing may cross the C interface
        result = -1;
    }
    avformat_close_input(&format);
    return result;
}

extern "C" void FreeChapterStarts(double* starts)
{
    std::free(starts);
}
