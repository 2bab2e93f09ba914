#pragma once
// The plug-in's debugger output.

#include "stringex.h"

// Formats (at most 2047 characters, the rest cut) and writes the text to the debugger output.
void debugOut(const char* format, ...) STRELL_PRINTF(1, 2);
