#pragma once
// The plug-in file beside the installer, looked at once before any installation is touched: an empty or
// truncated file would otherwise replace every working copy.

#include <string>

namespace installer {

enum class PluginFileState {
    Usable,     // a readable 32-bit Windows DLL whose sections all lie within the file
    Missing,    // no file of that name
    Unreadable, // there, but it cannot be opened or read (held open exclusively, no rights)
    Damaged,    // readable, but no complete 32-bit Windows DLL
};

// error receives the system's error code of an unreadable file.
PluginFileState inspectPluginFile(const std::string& path, unsigned long& error);

} // namespace installer
