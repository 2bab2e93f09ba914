#pragma once
// System DLLs come from the system folder only. The installer runs with administrator rights from
// wherever it was downloaded to; a DLL planted beside it or in the current folder must never load.

#include "win32_handles.h"

namespace installer {

// Takes the program's folder and the current folder out of the DLL search of the whole process.
// Called first thing in WinMain, before anything loads a DLL by name.
void restrictDllSearch();

// The DLL of this name in the system folder; empty when it is not there. Everything beyond kernel32,
// user32, advapi32 and shell32 is loaded this way rather than imported: the loader looks for an
// imported DLL that is no known system DLL in the program's folder first.
strell::unique_hmodule loadSystemLibrary(const char* fileName);

// The entry point of a loaded library, as the function type it has; null when the library lacks it.
template <typename Function>
Function libraryFunction(HMODULE library, const char* name)
{
    return library ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name))) : nullptr;
}

} // namespace installer
