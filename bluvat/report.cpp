#include "bluvat/report.h"

namespace bluvat {

namespace {
AuthorCallback g_callback = nullptr;
AuthorStopCallback g_stop = nullptr;
} // namespace

void SetCallback(AuthorCallback callback)
{
    g_callback = callback;
}

void SetStopCallback(AuthorStopCallback stop)
{
    g_stop = stop;
}

bool StopRequested()
{
    return g_stop && g_stop() != 0;
}

void Report(int32_t kind, int32_t value, const std::string& text)
{
    if (g_callback)
        g_callback(kind, value, text.c_str());
}

} // namespace bluvat
