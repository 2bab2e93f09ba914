#pragma once
// Every line of the installer goes to its log file at verbosity 0.

#include <string>

namespace installer {

void logLine(const std::string& logFile, const std::string& text);
// "ERROR::(quovan_plugin_dist.exe) <text>\n"
void logError(const std::string& logFile, const std::string& text);

} // namespace installer
