#pragma once
// The plug-in file beside the installer, looked at once before any installation is touched: an empty or
// truncated file would otherwise replace every working copy.

#include "win32_handles.h"

#include <string>

namespace installer {

// The kind of DLL the installer accepts, as its messages name it: the host that loads the plug-in is a
// program of the installer's own kind (32-bit as shipped; 64-bit in the test build where only 64-bit
// code runs).
#ifdef _WIN64
constexpr char kPluginKind[] = "64-bit Windows DLL";
#else
constexpr char kPluginKind[] = "32-bit Windows DLL";
#endif

enum class PluginFileState {
    Usable,     // a readable Windows DLL of kPluginKind whose sections and certificate table lie within the file
    Missing,    // no file of that name
    Unreadable, // there, but it cannot be opened or read (held open exclusively, no rights)
    Damaged,    // readable, but no complete DLL of kPluginKind
};

// error receives the system's error code of an unreadable file. file receives the file, opened for
// reading; while it stays open nobody can change, replace or delete it, so that what is copied later is
// what was looked at (the installer's folder is usually writable for every program of the user).
PluginFileState inspectPluginFile(const std::string& path, unsigned long& error, strell::unique_hfile& file);

} // namespace installer
