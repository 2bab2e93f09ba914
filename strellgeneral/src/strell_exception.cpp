#include "strell_exception.h"

#include "stringex.h"

#include <windows.h>

namespace strell {

win32exception::win32exception(const std::string& message, unsigned long errorCode, const std::string& location)
    : exception(message + " " + getWin32ErrorText(errorCode) + location), m_ErrorCode(errorCode)
{
}

std::string errorReport(const std::string& message, const char* source, int line, const char* function)
{
    return message + " [\"" + source + ":" + std::to_string(line) + ":" + function + "\"]";
}

std::string assertionText(const std::string& condition, const std::string& explanation)
{
    return "Assertion \"" + condition + "\" failed " + (explanation.empty() ? std::string() : "\"" + explanation + "\"");
}

std::string win32Location(const char* source, int line)
{
    return std::string(" [\"") + source + ":" + std::to_string(line) + "\"]";
}

void throwReport(const std::string& message, const char* source, int line, const char* function)
{
    throw exception(errorReport(message, source, line, function));
}

void throwAssertion(const std::string& condition, const std::string& explanation, const char* source, int line,
                    const char* function)
{
    throw exception(errorReport(assertionText(condition, explanation), source, line, function));
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
