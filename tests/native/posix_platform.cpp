// The host side of the library's platform interfaces for the native build on Linux: debugger output
// goes to standard error, the folders come from the process.
#include "fileutils.h"
#include "strell_programfolder.h"
#include "stringex.h"

#include <unistd.h>

#include <cstdio>
#include <vector>

namespace strell {

void debugOutput(const std::string& text)
{
    const std::string cut = text.substr(0, kFormatLimit);
    std::fwrite(cut.data(), 1, cut.size(), stderr);
}

void debugPrint(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const std::string text = formatStringV(format, args);
    va_end(args);
    std::fwrite(text.data(), 1, text.size(), stderr);
}

std::string getCurrentFolder()
{
    std::vector<char> buffer(4096);
    return getcwd(buffer.data(), buffer.size()) ? std::string(buffer.data()) : std::string();
}

std::string getExecutableFolder()
{
    std::vector<char> buffer(4096);
    const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    return length > 0 ? getFolder(std::string(buffer.data(), static_cast<size_t>(length))) : std::string();
}

// The native build's code page is ISO 8859-1: the first 256 code points, one byte each.
std::string utf16ToAnsi(const std::u16string& text)
{
    std::string ansi;
    for (const char16_t c : text)
        ansi += c != 0 && c < 0x100 ? static_cast<char>(c) : kNoAnsiForm;
    return ansi;
}

std::u16string ansiToUtf16(const std::string& text)
{
    std::u16string wide;
    for (const char c : text)
        wide += static_cast<char16_t>(static_cast<unsigned char>(c));
    return wide;
}

} // namespace strell
