#include "strell_trace.h"

#include <cstdio>

namespace strell {

namespace {
int g_TraceLevel = 0;

void writeFormatted(const char* format, va_list args)
{
    const std::string text = formatStringV(format, args);
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}
} // namespace

void setTraceLevel(int level)
{
    g_TraceLevel = level;
}

int getTraceLevel()
{
    return g_TraceLevel;
}

void trace(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    writeFormatted(format, args);
    va_end(args);
}

void traceVerbose(const char* format, ...)
{
    if (g_TraceLevel <= 0)
        return;
    va_list args;
    va_start(args, format);
    writeFormatted(format, args);
    va_end(args);
}

std::string formatDateTime(const LocalTime& t)
{
    return formatString("%02d.%02d.%04d", t.day, t.month, t.year) + " " +
           formatString("%02d:%02d:%02d", t.hour, t.minute, t.second);
}

} // namespace strell
