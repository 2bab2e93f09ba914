#define STRELL_SOURCE "./src/fileutils"

#include "fileutils.h"

#include "TemporaryFile.h"
#include "strell_exception.h"
#include "stringex.h"
#include "win32_handles.h"

#include <windows.h>

#include <stdio.h>

namespace strell {

namespace {
constexpr size_t kCopyBufferSize = 1024;
} // namespace

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

} // namespace strell
