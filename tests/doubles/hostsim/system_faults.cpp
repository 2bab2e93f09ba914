#include "system_faults.h"

#include "import_patch.h"

#include <tlhelp32.h>

#include <string>

namespace hostsim {

namespace {

CHostState* g_Host = nullptr;

// Whether the fault plan fails this call; sets the last error when it does.
bool failed(const char* operation)
{
    if (!g_Host)
        return false;
    const FaultOutcome outcome = g_Host->faults.onCall(operation);
    if (!outcome.fail)
        return false;
    const DWORD error = static_cast<DWORD>(outcome.result);
    g_Host->log(std::string("call ") + operation + "() -> error " + std::to_string(error) + " injected");
    SetLastError(error);
    return true;
}

BOOL WINAPI enumWindows(WNDENUMPROC callback, LPARAM parameter)
{
    if (failed("System.EnumWindows"))
        return FALSE;
    return EnumWindows(callback, parameter);
}

HANDLE WINAPI createToolhelp32Snapshot(DWORD flags, DWORD processId)
{
    if (failed((flags & TH32CS_SNAPTHREAD) ? "System.ThreadSnapshot" : "System.ModuleSnapshot"))
        return INVALID_HANDLE_VALUE;
    return CreateToolhelp32Snapshot(flags, processId);
}

} // namespace

bool injectSystemFaults(HMODULE module, CHostState& host)
{
    g_Host = &host;
    const bool windows = replaceImport(module, "user32.dll", "EnumWindows", reinterpret_cast<const void*>(&enumWindows));
    const bool snapshots = replaceImport(module, "kernel32.dll", "CreateToolhelp32Snapshot",
                                         reinterpret_cast<const void*>(&createToolhelp32Snapshot));
    return windows && snapshots;
}

} // namespace hostsim
