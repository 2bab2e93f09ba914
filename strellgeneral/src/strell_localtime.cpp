// The local time of log lines, from the system clock.
#include "strell_trace.h"

#include <windows.h>

namespace strell {

LocalTime getLocalTime()
{
    SYSTEMTIME st;
    GetLocalTime(&st);
    return LocalTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds, 0};
}

std::string getDateTimeText()
{
    return formatDateTime(getLocalTime());
}

} // namespace strell
