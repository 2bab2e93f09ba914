#include "system_library.h"

#include <string>

// Not declared for the oldest systems the installer targets; looked up at run time anyway.
#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

namespace installer {

namespace {

// Entry points that old systems lack (SetDefaultDllDirectories came with an update to Windows 7).
template <typename Function>
Function kernelFunction(const char* name)
{
    // kernel32 is always loaded; its handle is not owned and never freed.
    return libraryFunction<Function>(GetModuleHandleA("kernel32.dll"), name);
}

using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
using SetDllDirectoryFunction = BOOL(WINAPI*)(LPCSTR);

// Where SetDefaultDllDirectories exists, LoadLibraryEx knows the LOAD_LIBRARY_SEARCH_* flags too.
bool searchFlagsSupported()
{
    return kernelFunction<SetDefaultDllDirectoriesFunction>("SetDefaultDllDirectories") != nullptr;
}

} // namespace

void restrictDllSearch()
{
    const auto setDefault = kernelFunction<SetDefaultDllDirectoriesFunction>("SetDefaultDllDirectories");
    if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32))
        return;
    // Older systems: at least the current folder leaves the search.
    if (const auto setDirectory = kernelFunction<SetDllDirectoryFunction>("SetDllDirectoryA"))
        setDirectory("");
}

strell::unique_hmodule loadSystemLibrary(const char* fileName)
{
    if (searchFlagsSupported())
        return strell::unique_hmodule(LoadLibraryExA(fileName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
    char folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return strell::unique_hmodule();
    // A full path is loaded from exactly there.
    return strell::unique_hmodule(LoadLibraryA((std::string(folder, length) + "\\" + fileName).c_str()));
}

} // namespace installer
