#define STRELL_SOURCE "./src/fileutils"

#include "fileutils.h"

#include "TemporaryFile.h"
#include "strell_exception.h"
#include "stringex.h"

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

    // An existing destination that cannot be written is refused before anything is copied.
    CTemporaryFile temporary;
    unique_file temporaryStream;
    if (canOverwrite(destination) && temporary.Create(getFolder(destination)))
        temporaryStream.reset(std::fopen(temporary.GetPath().c_str(), "wb"));
    FILE* const dst_file = temporaryStream.get();
    STRELL_ASSERT(dst_file != NULL, "strell::copyFile",
                  formatString("copyFile: Unable to open destination file [%s]\n", destination.c_str()));

    char buffer[kCopyBufferSize];
    for (;;) {
        const size_t count = std::fread(buffer, 1, sizeof buffer, src_file);
        STRELL_ASSERT(!ferror(src_file), "strell::copyFile",
                      formatString("copyFile: Unable to read source file [%s]\n", source.c_str()));
        if (count == 0)
            break;
        const size_t numwritten = std::fwrite(buffer, 1, count, dst_file);
        STRELL_ASSERT(count == numwritten, "strell::copyFile", "copyFile: Read/Write Error!\n");
    }
    sourceStream.reset();

    const int closed = std::fclose(temporaryStream.release());
    STRELL_ASSERT(closed == 0, "strell::copyFile",
                  formatString("copyFile: Unable to write destination file [%s]\n", destination.c_str()));

    if (!temporary.ReplaceTarget(destination))
        STRELL_THROW_WIN32(formatString("copyFile: Unable to replace destination file [%s]", destination.c_str()));
}

} // namespace strell
