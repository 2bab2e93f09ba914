#pragma once
// Finding running map applications by their command lines.

#include <string>
#include <vector>

namespace installer {

class InstallerLog;

// True when a process whose command line matches "d2vexcrd.exe" runs; their program paths are appended
// to the list and logged. Any failure while reading the processes counts as "none running".
bool checkGeogridRunning(InstallerLog& log, std::vector<std::string>& programPaths);

} // namespace installer
