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

} // namespace strell
