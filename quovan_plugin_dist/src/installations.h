#pragma once
// The walk over the map products below the base key and their installations.

#include <functional>
#include <string>

namespace installer {

class InstallerLog;

// Called for each accepted installation: the product key name and its plug-in directory.
using InstallationHandler = std::function<void(const std::string& product, const std::string& pluginDir)>;
// Called for a product or installation that cannot be handed over: the product key name and the error.
using FailureHandler = std::function<void(const std::string& product, const std::string& error)>;

// Installation folder named by a sub-key: the drive letter before its first ":" and the rest with
// "/" turned into "\"; empty when the name holds no usable ":".
std::wstring folderFromSubKeyName(const std::wstring& subKeyName);

// The base key text without trailing backslashes, which would otherwise double the separator of every
// product key below it.
std::string normaliseBaseKey(std::string baseKey);

// Walks every product key of the base key and every installation sub-key of each product, logs each
// step and hands every installation with an existing "bin\PlugIn" folder to the handler, however long
// its path.
// A product key that cannot be opened or listed, and an installation whose key cannot be opened or whose
// folder has no name in the ANSI code page, go to the failure handler; the walk goes on. Only a base key
// that cannot be opened raises strell::exception.
void walkInstallations(const std::string& baseKey, InstallerLog& log, const InstallationHandler& handler,
                       const FailureHandler& failure);

} // namespace installer
