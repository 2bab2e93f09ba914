#include "system_faults.h"

#include "import_patch.h"
#include "stringex.h"

#include <tlhelp32.h>
#include <winternl.h>

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
    g_Host->faults.tookEffect(operation);
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

// The process list with the processes' threads; a failure answers the rule's result as the status.
NTSTATUS NTAPI ntQuerySystemInformation(SYSTEM_INFORMATION_CLASS kind, PVOID buffer, ULONG size, PULONG length)
{
    if (kind == SystemProcessInformation && g_Host) {
        const FaultOutcome outcome = g_Host->faults.onCall("System.ProcessList");
        if (outcome.fail) {
            g_Host->log("call System.ProcessList() -> status " +
                        strell::formatString("0x%08lX", static_cast<unsigned long>(outcome.result)) + " injected");
            g_Host->faults.tookEffect("System.ProcessList");
            return static_cast<NTSTATUS>(outcome.result);
        }
    }
    return NtQuerySystemInformation(kind, buffer, size, length);
}

// Questions about one window.
void countWindowQuery()
{
    if (g_Host)
        ++g_Host->windowQueries;
}

int WINAPI internalGetWindowText(HWND window, LPWSTR text, int size)
{
    countWindowQuery();
    return InternalGetWindowText(window, text, size);
}

int WINAPI getWindowTextA(HWND window, LPSTR text, int size)
{
    countWindowQuery();
    return GetWindowTextA(window, text, size);
}

DWORD WINAPI getWindowThreadProcessId(HWND window, LPDWORD processId)
{
    countWindowQuery();
    return GetWindowThreadProcessId(window, processId);
}

HWND WINAPI getParent(HWND window)
{
    countWindowQuery();
    return GetParent(window);
}

} // namespace

bool injectSystemFaults(HMODULE module, CHostState& host)
{
    g_Host = &host;
    const bool windows = replaceImport(module, "user32.dll", "EnumWindows", reinterpret_cast<const void*>(&enumWindows));
    const bool snapshots = replaceImport(module, "kernel32.dll", "CreateToolhelp32Snapshot",
                                         reinterpret_cast<const void*>(&createToolhelp32Snapshot));
    const bool processes = replaceImport(module, "ntdll.dll", "NtQuerySystemInformation",
                                         reinterpret_cast<const void*>(&ntQuerySystemInformation));
    replaceImport(module, "user32.dll", "InternalGetWindowText", reinterpret_cast<const void*>(&internalGetWindowText));
    replaceImport(module, "user32.dll", "GetWindowTextA", reinterpret_cast<const void*>(&getWindowTextA));
    replaceImport(module, "user32.dll", "GetWindowThreadProcessId",
                  reinterpret_cast<const void*>(&getWindowThreadProcessId));
    replaceImport(module, "user32.dll", "GetParent", reinterpret_cast<const void*>(&getParent));
    return windows || snapshots || processes;
}

} // namespace hostsim
