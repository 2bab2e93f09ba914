// The Windows side of the error reports: the last error and its system text.
#include "strell_exception.h"

#include "stringex.h"

#include <windows.h>

namespace strell {

win32exception::win32exception(const std::string& message, unsigned long errorCode, const std::string& location)
    : exception(message + " " + getWin32ErrorText(errorCode) + location), m_ErrorCode(errorCode)
{
}

unsigned long lastError()
{
    return GetLastError();
}

void throwWin32(const std::string& message, unsigned long errorCode, const char* source, int line)
{
    throw win32exception(message, errorCode, win32Location(source, line));
}

} // namespace strell
