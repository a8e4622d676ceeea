#include "bluvat/report.h"

namespace bluvat {

namespace {
AuthorCallback g_callback = nullptr;
}

void SetCallback(AuthorCallback callback)
{
    g_callback = callback;
}

void Report(int32_t kind, int32_t value, const std::string& text)
{
    if (g_callback)
        g_callback(kind, value, text.c_str());
}

} // namespace bluvat
