#pragma once
// The system functions behind the plug-in's search for the desktop program's windows.
// Failed on demand from the fault plan: a rule for "System.EnumWindows", "System.ThreadSnapshot" or
// "System.ModuleSnapshot" (thread or module snapshots of CreateToolhelp32Snapshot) makes that call
// fail, with the rule's result as the thread's last error; each injected failure is written to the
// transcript as "call System.<function>() -> error <n> injected". A rule for "System.ProcessList"
// makes the question for the process list with its threads (NtQuerySystemInformation) answer the
// rule's result as its status: "call System.ProcessList() -> status 0x<n> injected".
// Counted: every question about one window (its title or its owner) adds 1 to the host's
// windowQueries, so that a test sees what the search costs per window.

#include "host_state.h"

#include <windows.h>

namespace hostsim {

// Routes the module's imports of those functions through the fault plan and the count; false when
// it has none of the functions that can fail.
bool injectSystemFaults(HMODULE module, CHostState& host);

} // namespace hostsim
