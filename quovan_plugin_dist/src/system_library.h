#pragma once
// System DLLs come from the system folder only. The installer runs with administrator rights from
// wherever it was downloaded to; a DLL planted beside it or in the current folder must never load.

#include "win32_handles.h"

namespace installer {

// Takes the program's folder and the current folder out of the DLL search of the whole process.
// Called first thing in WinMain, before anything loads a DLL by name.
void restrictDllSearch();

// The DLL of this name in the system folder; empty when it is not there.
strell::unique_hmodule loadSystemLibrary(const char* fileName);

} // namespace installer
