#pragma once
// Putting the plug-in file into an installation's plug-in folder, or taking it out again.

#include <string>

namespace installer {

// Outcome of a run, shown in the summary.
struct DeploymentResult {
    int foundCount = 0;  // installations handed to the deployment
    int doneCount = 0;
    int failedCount = 0;  // failed copies, and failed deletions with --remove
    std::string doneList;   // product name + "\n" per installation
    std::string failedList;
};

class PluginDeployment {
public:
    PluginDeployment(bool remove, std::string pluginFileName, std::string logFile);

    // Copies (or removes) the plug-in for one accepted installation; problems are logged, shown to the
    // user and counted, never raised.
    void deploy(const std::string& product, const std::string& pluginDir);

    bool removeMode() const { return m_Remove; }
    const DeploymentResult& result() const { return m_Result; }

private:
    void removePlugin(const std::string& product, const std::string& target);
    void installPlugin(const std::string& product, const std::string& target);

    bool m_Remove;
    std::string m_PluginFileName;
    std::string m_LogFile;
    DeploymentResult m_Result;
};

// Whether a file can be created in the folder (a test file is created and deleted again).
bool hasWriteAccess(const std::string& folder);

} // namespace installer
