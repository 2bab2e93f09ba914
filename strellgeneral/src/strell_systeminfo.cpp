#include "strell_systeminfo.h"

#include "ansi_path.h"
#include "strell_exception.h"
#include "stringex.h"
#include "win32_handles.h"

#include <psapi.h>

#define STRELL_SOURCE "./src/strell_systeminfo"

namespace strell {

namespace {
std::string moduleFileName(HMODULE module)
{
    // Read wide first: a folder outside the ANSI code page is given in its short form, which names it.
    wchar_t wide[MAX_PATH * 4] = {};
    const DWORD wideLength = GetModuleFileNameW(module, wide, MAX_PATH * 4);
    std::string ansiPath;
    if (wideLength > 0 && wideLength < MAX_PATH * 4 && toAnsiPath(std::wstring(wide, wideLength), ansiPath))
        return ansiPath;
    char buffer[512] = {};
    const DWORD length = GetModuleFileNameA(module, buffer, sizeof buffer);
    return std::string(buffer, length < sizeof buffer ? length : sizeof buffer - 1);
}
} // namespace

void enableDebugPrivilege()
{
    unique_handle_null token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.put()))
        return;
    TOKEN_PRIVILEGES privileges = {};
    if (!LookupPrivilegeValueA(nullptr, "SeDebugPrivilege", &privileges.Privileges[0].Luid))
        return;
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    AdjustTokenPrivileges(token.get(), FALSE, &privileges, sizeof privileges, nullptr, nullptr);
}

SIZE_T GetCurrentProcessMemoryUsage()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
        STRELL_THROW_WIN32("GetCurrentProcessMemoryUsage - GetProcessMemoryInfo failed");
    return counters.WorkingSetSize;
}

unsigned long long getAvailableVirtualMemory()
{
    MEMORYSTATUSEX status = {};
    status.dwLength = sizeof status;
    GlobalMemoryStatusEx(&status);
    return status.ullAvailVirtual;
}

HMODULE getCodeModuleHandle()
{
    MEMORY_BASIC_INFORMATION info = {};
    VirtualQuery(reinterpret_cast<const void*>(&getCodeModuleHandle), &info, sizeof info);
    return static_cast<HMODULE>(info.AllocationBase);
}

std::string getExecutablePath()
{
    return moduleFileName(nullptr);
}

std::wstring getExecutableWidePath()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0)
            return std::wstring();
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::string getModulePath()
{
    return moduleFileName(getCodeModuleHandle());
}

std::string getExecutableFolder()
{
    return getFolder(getExecutablePath());
}

std::string getModuleFolder()
{
    return getFolder(getModulePath());
}

} // namespace strell
