// The Windows side of the text operations: debugger output and system error texts.
#include "stringex.h"

#include "win32_handles.h"

#include <windows.h>

namespace strell {

void debugOutput(const std::string& text)
{
    OutputDebugStringA(text.substr(0, kFormatLimit).c_str());
}

void debugPrint(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string text = formatStringV(format, args);
    va_end(args);
    OutputDebugStringA(text.c_str());
}

std::string getWin32ErrorText(unsigned long code)
{
    char* buffer = nullptr;
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                            FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                        reinterpret_cast<char*>(&buffer), 0, nullptr);
    const unique_hlocal owner(buffer);
    if (length == 0 || buffer == nullptr)
        return std::string();
    const std::string text(buffer, length);
    return replaceAll("\r\n", text, "") + formatString(" (err: %d,0x%X)", static_cast<int>(code),
                                                       static_cast<unsigned>(code));
}

} // namespace strell
