#pragma once
// Redirecting a module's import of a system function to a function of the simulated host, so that
// the host can watch or fail what the plug-in asks of the system.

#include <windows.h>

namespace hostsim {

// Points every import of <dll>!<function> in the module's import table to the replacement; found by
// name, or by the function's address where the module keeps no names. False when the module imports
// no such function.
bool replaceImport(HMODULE module, const char* dll, const char* function, const void* replacement);

} // namespace hostsim
