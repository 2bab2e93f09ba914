#define STRELL_SOURCE "./src/strell_process_modules"

#include "strell_process.h"

#include "strell_exception.h"
#include "win32_handles.h"

#include <psapi.h>

#include <algorithm>
#include <vector>

namespace strell {

namespace {

const size_t kMaxModules = 1024 / sizeof(HMODULE);

// Module handles of an opened process, at most 256.
std::vector<HMODULE> moduleHandles(HANDLE process)
{
    HMODULE handles[kMaxModules];
    DWORD bytes = 0;
    if (!EnumProcessModules(process, handles, sizeof handles, &bytes))
        STRELL_THROW_WIN32("EnumProcessModules failed");
    // The size needed may exceed the buffer; only what the buffer holds was filled in.
    const size_t count = std::min<size_t>(bytes, sizeof handles) / sizeof(HMODULE);
    return std::vector<HMODULE>(handles, handles + count);
}

// Module names; empty when the query fails.
std::string moduleBaseName(HANDLE process, HMODULE module)
{
    char name[2048];
    const DWORD length = GetModuleBaseNameA(process, module, name, sizeof name);
    return std::string(name, std::min<DWORD>(length, sizeof name - 1));
}

std::string moduleFullPath(HANDLE process, HMODULE module)
{
    char name[2048];
    const DWORD length = GetModuleFileNameExA(process, module, name, sizeof name);
    return std::string(name, std::min<DWORD>(length, sizeof name - 1));
}

DWORD processIdOf(HANDLE process)
{
    // GetProcessId is not declared for every Windows version this builds for.
    typedef DWORD(WINAPI * GetProcessIdFunction)(HANDLE);
    static const GetProcessIdFunction getProcessId = reinterpret_cast<GetProcessIdFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetProcessId")));
    return getProcessId ? getProcessId(process) : 0;
}

// All modules with both names in one pass: the system's module snapshot reads the other process's
// module list once, where each name query walks it again. False when there is no snapshot.
bool snapshotModules(HANDLE process, ModuleInfoList& modules)
{
    const DWORD processId = processIdOf(process);
    if (processId == 0)
        return false;
    unique_snapshot snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId));
    if (!snapshot)
        return false;
    MODULEENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    if (!Module32First(snapshot.get(), &entry))
        return false;
    ModuleInfoList found;
    do {
        ModuleInfo module;
        module.hModule = entry.hModule;
        module.BaseName = entry.szModule;
        module.FullPathName = entry.szExePath;
        // The snapshot holds at most MAX_PATH characters of a path: ask again for a longer one.
        if (module.FullPathName.size() + 1 >= sizeof entry.szExePath)
            module.FullPathName = moduleFullPath(process, module.hModule);
        found.push_back(std::move(module));
    } while (found.size() < kMaxModules && Module32Next(snapshot.get(), &entry));
    modules.insert(modules.end(), found.begin(), found.end());
    return true;
}
} // namespace

// ---------------------------------------------------------------------------------------------------
// Module lists

size_t getModuleList(HANDLE process, ModuleInfoList& modules)
{
    const size_t before = modules.size();
    if (snapshotModules(process, modules))
        return modules.size() - before;
    const std::vector<HMODULE> handles = moduleHandles(process);
    for (HMODULE handle : handles) {
        ModuleInfo module;
        module.hModule = handle;
        module.BaseName = moduleBaseName(process, handle);
        module.FullPathName = moduleFullPath(process, handle);
        modules.push_back(std::move(module));
    }
    return handles.size();
}

} // namespace strell
