#include "strell_exception.h"

namespace strell {

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

} // namespace strell
