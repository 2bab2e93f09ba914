#pragma once
// The library's exception types and the one place where error reports are formatted.
//
// Report:     "<message> [\"<source>:<line>:<function>\"]"
// Assertion:  "Assertion \"<condition>\" failed \"<explanation>\""  (explanation and its quotes left out when empty)
// Win32:      "<message> <system text> (err: <code>,0x<CODE>) [\"<source>:<line>\"]"
//
// A translation unit that raises reports defines STRELL_SOURCE (for example "./src/fileutils") before
// using the macros below; function names are always given as text ("strell::copyFile").

#include <stdexcept>
#include <string>

namespace strell {

class exception : public std::runtime_error, public std::string {
public:
    explicit exception(const std::string& text) : std::runtime_error(text), std::string(text) {}
    const std::string& text() const { return *this; }
};

class win32exception : public exception {
public:
    win32exception(const std::string& message, unsigned long errorCode, const std::string& location);
    unsigned long errorCode() const { return m_ErrorCode; }

private:
    unsigned long m_ErrorCode;
};

std::string errorReport(const std::string& message, const char* source, int line, const char* function);
std::string assertionText(const std::string& condition, const std::string& explanation);
std::string win32Location(const char* source, int line);

[[noreturn]] void throwReport(const std::string& message, const char* source, int line, const char* function);
[[noreturn]] void throwAssertion(const std::string& condition, const std::string& explanation,
                                 const char* source, int line, const char* function);
// GetLastError(), for the macros below without <windows.h> in this header.
unsigned long lastError();
[[noreturn]] void throwWin32(const std::string& message, unsigned long errorCode, const char* source, int line);

} // namespace strell

#define STRELL_THROW(function, message) ::strell::throwReport((message), STRELL_SOURCE, __LINE__, (function))
#define STRELL_THROW_AT(line, function, message) ::strell::throwReport((message), STRELL_SOURCE, (line), (function))
#define STRELL_ASSERT(condition, function, explanation)                                                        \
    do {                                                                                                        \
        if (!(condition))                                                                                       \
            ::strell::throwAssertion(#condition, (explanation), STRELL_SOURCE, __LINE__, (function));           \
    } while (0)
// The code is taken before the message is built: formatting it may call APIs that overwrite the last error.
#define STRELL_THROW_WIN32_CODE(message, code)                                                                 \
    do {                                                                                                        \
        const unsigned long strellErrorCode_ = (code);                                                          \
        ::strell::throwWin32((message), strellErrorCode_, STRELL_SOURCE, __LINE__);                             \
    } while (0)
#define STRELL_THROW_WIN32(message) STRELL_THROW_WIN32_CODE(message, ::strell::lastError())
