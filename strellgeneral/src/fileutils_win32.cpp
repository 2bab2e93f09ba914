// The Windows side of the file operations: attributes and the current folder.
#include "fileutils.h"

#include <windows.h>

#include <vector>

namespace strell {

namespace {
constexpr DWORD kFolderBufferSize = 1024;
} // namespace

bool isDirectory(std::string path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return false;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string getCurrentFolder()
{
    std::vector<char> buffer(kFolderBufferSize);
    DWORD length = GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
    if (length >= buffer.size()) {
        // Longer than the buffer: the call told the size it needs.
        buffer.resize(length + 1);
        length = GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
        if (length >= buffer.size())
            return std::string();
    }
    return std::string(buffer.data(), length);
}

} // namespace strell
