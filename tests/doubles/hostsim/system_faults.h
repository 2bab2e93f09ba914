#pragma once
// Failures of the system functions behind the plug-in's search for the desktop program's windows,
// on demand from the fault plan: a rule for "System.EnumWindows", "System.ThreadSnapshot" or
// "System.ModuleSnapshot" (thread or module snapshots of CreateToolhelp32Snapshot) makes that call
// fail, with the rule's result as the thread's last error.
// Each injected failure is written to the transcript as "call System.<function>() -> error <n> injected".

#include "host_state.h"

#include <windows.h>

namespace hostsim {

// Routes the module's imports of those functions through the fault plan; false when it has none.
bool injectSystemFaults(HMODULE module, CHostState& host);

} // namespace hostsim
