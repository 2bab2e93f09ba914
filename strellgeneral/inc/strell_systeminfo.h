#pragma once
// The running program itself: its paths, its memory, the debug privilege.

#include "strell_programfolder.h"

#include <windows.h>

#include <string>

namespace strell {

void enableDebugPrivilege();
SIZE_T GetCurrentProcessMemoryUsage();
unsigned long long getAvailableVirtualMemory();

// Allocation base of the module (program or plug-in) into which the library is linked.
HMODULE getCodeModuleHandle();
std::string getExecutablePath();
// The running program's file as the system names it, of any length; empty when it cannot be read.
std::wstring getExecutableWidePath();
std::string getModulePath();
std::string getModuleFolder();

} // namespace strell
