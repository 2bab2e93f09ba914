#define STRELL_SOURCE "./src/strell_process_kill"

#include "strell_process.h"

#include "strell_trace.h"
#include "win32_handles.h"

namespace strell {

// ---------------------------------------------------------------------------------------------------
// Termination

void killProcesses(const ProcessIdList& ids)
{
    const DWORD self = GetCurrentProcessId();
    for (DWORD id : ids) {
        if (id == self)
            continue;
        unique_process process(OpenProcess(PROCESS_TERMINATE, FALSE, id));
        if (!process)
            continue;
        TerminateProcess(process.get(), 0);
        trace("process killed: %d\n", static_cast<int>(id));
    }
}

void killProcessesByCommandLine(std::string pattern, bool exact)
{
    ProcessIdList ids;
    getProcessIds(ids);
    ProcessInfoList infos;
    getProcessInfoList(ids, infos);
    filterProcessInfo(infos, infos, pattern, FILTER_COMMANDLINE, false, exact);
    getProcessIdsFromInfo(infos, ids);
    killProcesses(ids);
}

} // namespace strell
