#include "installer_log.h"

#include "strell_log.h"
#include "stringex.h"

namespace installer {

void logLine(const std::string& logFile, const std::string& text)
{
    strell::LogInfo(text, 0, logFile);
}

void logError(const std::string& logFile, const std::string& text)
{
    logLine(logFile, strell::formatString("ERROR::(%s) %s\n", "quovan_plugin_dist.exe", text.c_str()));
}

} // namespace installer
