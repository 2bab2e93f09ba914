#define STRELL_SOURCE "./src/fileutils"

#include "fileutils.h"

#include "strell_exception.h"
#include "strell_programfolder.h"
#include "strell_trace.h"
#include "stringex.h"

#include <stdio.h>

namespace strell {

bool fileExists(std::string path)
{
    unique_file file(std::fopen(toBackslashes(path).c_str(), "r"));
    return file != nullptr;
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

void deleteFileSys(std::string filename)
{
    STRELL_ASSERT(remove(filename.c_str()) != -1, "strell::deleteFileSys",
                  formatString("delFileSys: Failed to delete file %s\n", filename.c_str()));
}

} // namespace strell
