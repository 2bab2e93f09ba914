#pragma once
// Finding running map applications by their command lines.

#include <string>
#include <vector>

namespace installer {

// True when a process whose command line matches "d2vexcrd.exe" runs; their program paths are appended
// to the list and logged. Any failure while reading the processes counts as "none running".
bool checkGeogridRunning(const std::string& logFile, std::vector<std::string>& programPaths);

} // namespace installer
