#define STRELL_SOURCE "./src/fileutils"

#include "fileutils.h"

#include "strell_exception.h"
#include "strell_systeminfo.h"
#include "strell_trace.h"
#include "TemporaryFile.h"
#include "win32_handles.h"
#include "stringex.h"

#include <windows.h>

#include <stdio.h>

#include <vector>

namespace strell {

namespace {
constexpr size_t kCopyBufferSize = 1024;
constexpr DWORD kFolderBufferSize = 1024;
} // namespace

bool fileExists(std::string path)
{
    unique_file file(std::fopen(toBackslashes(path).c_str(), "r"));
    return file != nullptr;
}

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

std::string makeFullPath(std::string path, std::string baseFolder)
{
    if (path.find('\\') == std::string::npos)
        return baseFolder + "\\" + path;
    if (path.size() >= 1 && path[0] == '.' && (path.size() < 2 || path[1] != '.'))
        return baseFolder + path.substr(1);
    if (startsWith("..", path))
        return baseFolder + "\\" + path;
    return path;
}

std::string locateFile(std::string path)
{
    const std::string inCurrentFolder = makeFullPath(path, getCurrentFolder());
    if (fileExists(inCurrentFolder))
        return inCurrentFolder;
    const std::string inProgramFolder = makeFullPath(path, getExecutableFolder());
    if (fileExists(inProgramFolder))
        return inProgramFolder;
    return inCurrentFolder;
}

std::string resolveParentReferences(std::string baseFolder, std::string relativePath)
{
    int count = 0;
    while (relativePath.size() > 3 && (startsWith("..\\", relativePath) || startsWith("../", relativePath))) {
        relativePath.erase(0, 3);
        baseFolder = getFolder(baseFolder);
        trace("ref: %s\n", baseFolder.c_str());
        ++count;
    }
    if (count == 0)
        return relativePath;
    return baseFolder + "\\" + relativePath;
}

unique_file openFileWithFallback(std::string path, const char* mode, std::string* usedPath)
{
    const std::string normalised = toBackslashes(path);
    unique_file file(std::fopen(normalised.c_str(), mode));
    if (usedPath)
        *usedPath = normalised;
    if (!file && normalised.find('\\') == std::string::npos) {
        const std::string inProgramFolder = getExecutableFolder() + "\\" + normalised;
        file.reset(std::fopen(inProgramFolder.c_str(), mode));
        if (file && usedPath)
            *usedPath = inProgramFolder;
    }
    return file;
}

void copyFile(std::string source, std::string destination)
{
    unique_file sourceStream(std::fopen(source.c_str(), "rb"));
    FILE* const src_file = sourceStream.get();
    STRELL_ASSERT(src_file != NULL, "strell::copyFile",
                  formatString("copyFile: Unable to open source file [%s]\n", source.c_str()));

    // An existing destination that cannot be written is refused before anything is copied. Failures on
    // the destination's side carry the system's text (no rights, disk full), which tells the user the cause.
    CTemporaryFile temporary;
    unique_hfile target;
    if (canOverwrite(destination) && temporary.Create(getFolder(destination)))
        target.reset(CreateFileA(temporary.GetPath().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!target)
        STRELL_THROW_WIN32(formatString("copyFile: Unable to open destination file [%s]", destination.c_str()));

    char buffer[kCopyBufferSize];
    for (;;) {
        const size_t count = std::fread(buffer, 1, sizeof buffer, src_file);
        STRELL_ASSERT(!ferror(src_file), "strell::copyFile",
                      formatString("copyFile: Unable to read source file [%s]\n", source.c_str()));
        if (count == 0)
            break;
        DWORD written = 0;
        if (!WriteFile(target.get(), buffer, static_cast<DWORD>(count), &written, nullptr) || written != count)
            STRELL_THROW_WIN32(formatString("copyFile: Unable to write destination file [%s]", destination.c_str()));
    }
    sourceStream.reset();

    if (!CloseHandle(target.release()))
        STRELL_THROW_WIN32(formatString("copyFile: Unable to write destination file [%s]", destination.c_str()));

    if (!temporary.ReplaceTarget(destination))
        STRELL_THROW_WIN32(formatString("copyFile: Unable to replace destination file [%s]", destination.c_str()));
}

void deleteFileSys(std::string filename)
{
    STRELL_ASSERT(remove(filename.c_str()) != -1, "strell::deleteFileSys",
                  formatString("delFileSys: Failed to delete file %s\n", filename.c_str()));
}

} // namespace strell
