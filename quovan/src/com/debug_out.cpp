#include "com/debug_out.h"

#include <cstdarg>

void debugOut(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const std::string text = strell::formatStringV(format, args);
    va_end(args);
    strell::debugOutput(text);
}
