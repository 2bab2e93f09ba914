#pragma once
// Console trace on standard output, filtered by the process-wide trace level, and the local
// date-and-time text of log lines.

#include "stringex.h"

#include <string>

namespace strell {

void setTraceLevel(int level);
int getTraceLevel();

// Writes the formatted text (at most 2047 characters) to standard output.
void trace(const char* format, ...) STRELL_PRINTF(1, 2);
// As trace, but only while the trace level is above 0 (nothing is formatted otherwise).
void traceVerbose(const char* format, ...) STRELL_PRINTF(1, 2);

struct LocalTime {
    int year, month, day, hour, minute, second, millisecond;
    int reserved; // always 0
};

LocalTime getLocalTime();
// "dd.mm.yyyy hh:mm:ss"
std::string formatDateTime(const LocalTime& time);
std::string getDateTimeText();

} // namespace strell
