#pragma once
// Running the log helper in a folder of its own, and reading what it wrote.

#include <windows.h>

#include <string>
#include <vector>

namespace logtest {

struct HelperRun {
    DWORD exitCode = 0;
    bool timedOut = false;
    std::string output; // standard output and error
};

// Runs log_helper.exe with the steps in the folder (its current folder).
HelperRun runHelper(const std::string& folder, const std::vector<std::string>& steps, DWORD timeoutMs = 60000);

// The file's text with line ends as "\n", and its lines.
std::string logText(const std::string& path);
std::vector<std::string> logLines(const std::string& path);

// log.ini of the folder with the sections the facade reads; an empty address leaves client_info out.
void writeLogIni(const std::string& folder, const std::string& address, int port, int verboseLevel);
void writeFacilityIni(const std::string& folder, const std::string& facility);

// Waits until the file exists.
bool waitForFile(const std::string& path, DWORD timeoutMs);
void createFile(const std::string& path);

// "<LEVEL padded to 8>log_helper.exe dd.mm.yyyy hh:mm:ss - " for the level name.
bool hasLinePrefix(const std::string& line, const std::string& level);
// The text after the prefix, or "" when the line has none.
std::string lineText(const std::string& line);

} // namespace logtest
