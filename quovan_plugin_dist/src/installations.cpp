#include "installations.h"

#include "installer_log.h"
#include "registry.h"

#include "fileutils.h"
#include "stringex.h"

#include <vector>

namespace installer {

namespace {
std::vector<std::string> subKeyNames(const std::string& keyText)
{
    std::vector<std::string> names;
    strell::unique_hkey key = regOpen(keyText);
    enumSubKeys(key.get(), names);
    return names;
}
} // namespace

std::string folderFromSubKeyName(const std::string& subKeyName)
{
    const size_t colon = subKeyName.find(':');
    if (colon == std::string::npos || colon == 0)
        return std::string();
    return strell::toBackslashes(subKeyName.substr(colon - 1));
}

void walkInstallations(const std::string& baseKey, const std::string& logFile, const InstallationHandler& handler)
{
    const std::vector<std::string> products = subKeyNames(baseKey);
    for (size_t i = 0; i < products.size(); ++i) {
        const std::string productKey = baseKey + "\\" + products[i];
        logLine(logFile, strell::formatString(" key %2d \"%s\"", static_cast<int>(i), productKey.c_str()));

        const std::vector<std::string> installations = subKeyNames(productKey);
        for (size_t j = 0; j < installations.size(); ++j) {
            const std::string& subKey = installations[j];
            logLine(logFile, strell::formatString("   sub %2d \"%s\"", static_cast<int>(j), subKey.c_str()));

            std::string folder = folderFromSubKeyName(subKey);
            if (folder.empty())
                folder = readRegistryString(productKey + "\\" + subKey, "DestDir");
            if (folder.empty()) {
                logLine(logFile, "        spipped1: no ':'");
                continue;
            }
            if (!strell::isDirectory(folder)) {
                logLine(logFile, strell::formatString("        spipped2: directory does not exist '%s'", folder.c_str()));
                continue;
            }
            const std::string pluginDir = strell::joinPath(folder, "bin\\PlugIn");
            if (!strell::isDirectory(pluginDir)) {
                logLine(logFile, strell::formatString("        spipped3: directory does not exist '%s'", pluginDir.c_str()));
                continue;
            }
            handler(strell::getFileName(productKey), pluginDir);
        }
    }
}

} // namespace installer
