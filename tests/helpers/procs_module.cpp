// A library that links strell: the tests load it to see which module the library reports as its own,
// and the helper loads a copy named with an ".EXE" extension as a second executable module.

#include "strell_systeminfo.h"

#include <cstring>

extern "C" __declspec(dllexport) int strellModulePath(char* buffer, int size)
{
    const std::string path = strell::getModulePath();
    if (size <= 0 || path.size() >= static_cast<size_t>(size))
        return -1;
    std::memcpy(buffer, path.c_str(), path.size() + 1);
    return static_cast<int>(path.size());
}
