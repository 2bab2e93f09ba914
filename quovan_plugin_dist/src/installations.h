#pragma once
// The walk over the map products below the base key and their installations.

#include <functional>
#include <string>

namespace installer {

// Called for each accepted installation: the product key name and its plug-in directory.
using InstallationHandler = std::function<void(const std::string& product, const std::string& pluginDir)>;

// Installation folder named by a sub-key: the drive letter before its first ":" and the rest with
// "/" turned into "\"; empty when the name holds no usable ":".
std::string folderFromSubKeyName(const std::string& subKeyName);

// Walks every product key of the base key and every installation sub-key of each product, logs each
// step to the log file and hands every installation with an existing "bin\PlugIn" folder to the handler.
// Keys that are listed but cannot be opened raise strell::exception.
void walkInstallations(const std::string& baseKey, const std::string& logFile, const InstallationHandler& handler);

} // namespace installer
