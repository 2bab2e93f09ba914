#pragma once
// Self-registration of the plug-in class below HKEY_CLASSES_ROOT.

#include <windows.h>

namespace plugin {

// Writes the five keys, the DLL's path as the system names it (written wide, so that a folder outside
// the ANSI code page is named as it is); on the first failure removes all of them and answers
// SELFREG_E_CLASS.
HRESULT registerServer();
// Deletes the five keys, last first; S_FALSE when any of them could not be deleted.
HRESULT unregisterServer();

} // namespace plugin
