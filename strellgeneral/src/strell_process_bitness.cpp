#define STRELL_SOURCE "./src/strell_process_bitness"

#include "strell_process.h"

namespace strell {

namespace {

typedef BOOL(WINAPI* IsWow64Process2Function)(HANDLE, USHORT*, USHORT*);
typedef BOOL(WINAPI* IsWow64ProcessFunction)(HANDLE, PBOOL);

// How a process's code runs: 0 natively, else the machine that WoW64 emulates for it. IsWow64Process2
// (Windows 10 1709 and later) names that machine; IsWow64Process tells only WoW64 from native. Both
// processes are asked the same way, so the answers compare. False when it cannot be told.
bool processKind(HANDLE process, unsigned& kind)
{
    static const HMODULE kernel = GetModuleHandleA("kernel32.dll");
    static const IsWow64Process2Function queryMachine = reinterpret_cast<IsWow64Process2Function>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "IsWow64Process2")));
    static const IsWow64ProcessFunction queryWow64 = reinterpret_cast<IsWow64ProcessFunction>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "IsWow64Process")));
    if (queryMachine) {
        USHORT machine = 0;
        USHORT native = 0;
        if (!queryMachine(process, &machine, &native))
            return false;
        kind = machine;
        return true;
    }
    if (queryWow64) {
        BOOL wow64 = FALSE;
        if (!queryWow64(process, &wow64))
            return false;
        kind = wow64 ? 1 : 0;
        return true;
    }
    // A system with neither call has no WoW64: every process runs natively.
    kind = 0;
    return true;
}

} // namespace

bool hasOwnBitness(HANDLE process)
{
    unsigned own = 0;
    unsigned other = 0;
    return processKind(GetCurrentProcess(), own) && processKind(process, other) && own == other;
}

} // namespace strell
