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

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 is the system's wide text");

std::string utf16ToAnsi(const std::u16string& text)
{
    std::string ansi;
    ansi.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        // One character at a time, a surrogate pair together, so that each one without a form is marked
        // where it stands; no look-alike ("best fit") stands in for it.
        const bool pair = text[i] >= 0xD800 && text[i] < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                          text[i + 1] < 0xE000;
        const int units = pair ? 2 : 1;
        char converted[8];
        BOOL usedDefault = FALSE;
        const int length = text[i] == 0 ? 0
                                        : WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS,
                                                              reinterpret_cast<const wchar_t*>(&text[i]), units,
                                                              converted, sizeof converted, nullptr, &usedDefault);
        if (length <= 0 || usedDefault)
            ansi += kNoAnsiForm;
        else
            ansi.append(converted, static_cast<size_t>(length));
        i += static_cast<size_t>(units);
    }
    return ansi;
}

std::u16string ansiToUtf16(const std::string& text)
{
    if (text.empty())
        return std::u16string();
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::u16string wide(static_cast<size_t>(length > 0 ? length : 0), u'\0');
    if (length > 0)
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                            reinterpret_cast<wchar_t*>(&wide[0]), length);
    return wide;
}

} // namespace strell
