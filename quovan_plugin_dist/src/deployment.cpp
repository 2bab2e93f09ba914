#include "deployment.h"

#include "installer_log.h"
#include "messages.h"

#include "fileutils.h"
#include "strell_exception.h"
#include "strell_systeminfo.h"
#include "stringex.h"

#include <cstdio>

#define STRELL_SOURCE "./src/deployment"

namespace installer {

bool hasWriteAccess(const std::string& folder)
{
    const std::string testFile = strell::joinPath(folder, "test.txt");
    FILE* file = std::fopen(testFile.c_str(), "w");
    if (!file)
        return false;
    std::fclose(file);
    strell::deleteFileSys(testFile);
    return true;
}

PluginDeployment::PluginDeployment(bool remove, std::string pluginFileName, std::string logFile)
    : m_Remove(remove), m_PluginFileName(std::move(pluginFileName)), m_LogFile(std::move(logFile))
{
}

void PluginDeployment::deploy(const std::string& product, const std::string& pluginDir)
{
    ++m_Result.foundCount;
    const std::string target = strell::joinPath(pluginDir, m_PluginFileName);

    if (!hasWriteAccess(pluginDir)) {
        logLine(m_LogFile, strell::formatString("        no write access to : '%s'", pluginDir.c_str()));
        showBox(box::kNoWriteAccess, text::noWriteAccess(product, pluginDir));
    }

    if (m_Remove)
        removePlugin(product, target);
    else
        installPlugin(product, target);
}

void PluginDeployment::removePlugin(const std::string& product, const std::string& target)
{
    try {
        if (strell::fileExists(target)) {
            logLine(m_LogFile, strell::formatString("        delete: '%s'", target.c_str()));
            strell::deleteFileSys(target);
            m_Result.doneList += product + "\n";
            ++m_Result.doneCount;
        } else {
            logLine(m_LogFile, strell::formatString("        not found: '%s'", target.c_str()));
        }
    } catch (const strell::exception& e) {
        ++m_Result.failedCount;
        logError(m_LogFile, e.text());
    }
}

void PluginDeployment::installPlugin(const std::string& product, const std::string& target)
{
    try {
        const std::string source = strell::joinPath(strell::getExecutableFolder(), m_PluginFileName);
        if (!strell::fileExists(source))
            STRELL_THROW("WinMain", strell::formatString("Plugin datei konnte nicht gefunden werden \"%s\"!", source.c_str()));
        logLine(m_LogFile, strell::formatString("        copy: '%s' => '%s'", source.c_str(), target.c_str()));
        strell::copyFile(source, target);
        m_Result.doneList += product + "\n";
        ++m_Result.doneCount;
    } catch (const strell::exception& e) {
        m_Result.failedList += product + "\n";
        ++m_Result.failedCount;
        logError(m_LogFile, e.text());
        showBox(box::kInstallationFailed, text::installationFailed(product, e.text()));
    }
}

} // namespace installer
