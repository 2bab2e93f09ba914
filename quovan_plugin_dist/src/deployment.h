#pragma once
// Putting the plug-in file into an installation's plug-in folder, or taking it out again.

#include "win32_handles.h"

#include <string>

namespace installer {

class Frontend;
class InstallerLog;

// The longest plug-in folder path the installer works in: the copy goes through a uniquely named file in
// the folder, and the system names one only in a folder of at most MAX_PATH - 14 characters.
constexpr size_t kLongestPluginFolder = 246;

// Outcome of a run, shown in the summary.
struct DeploymentResult {
    int foundCount = 0;  // installations handed to the deployment, and those the walk could not hand over
    int doneCount = 0;
    int failedCount = 0;  // failed copies or deletions, and products or installations the walk could not use
    std::string doneList;   // product name + "\n" per installation
    std::string failedList;
};

class PluginDeployment {
public:
    PluginDeployment(bool remove, std::string pluginFileName, InstallerLog& log, Frontend& frontend);

    // Copies (or removes) the plug-in for one accepted installation; problems are logged, shown to the
    // user and counted, never raised. A plug-in folder longer than kLongestPluginFolder fails.
    void deploy(const std::string& product, const std::string& pluginDir);
    // A product or installation that could not be handed to deploy: counted, listed and logged like a
    // failed installation (with its box when installing).
    void fail(const std::string& product, const std::string& error);

    bool removeMode() const { return m_Remove; }
    const DeploymentResult& result() const { return m_Result; }

private:
    void removePlugin(const std::string& product, const std::string& target);
    void installPlugin(const std::string& product, const std::string& target);
    // listNote: a short reason for the summary's failure list, after the product.
    void recordFailure(const std::string& product, const std::string& error, const std::string& listNote = "");
    // Raises strell::exception when the plug-in file beside the installer cannot be installed; looked at
    // once, before the first copy.
    const std::string& checkedSource();
    // Raises strell::exception when a signed installer finds the plug-in not signed by its own publisher.
    void checkSignature();

    bool m_Remove;
    std::string m_PluginFileName;
    InstallerLog& m_Log;
    Frontend& m_Frontend;
    DeploymentResult m_Result;
    bool m_SourceChecked = false;
    std::string m_Source;
    std::string m_SourceError; // empty when the source is usable
    strell::unique_hfile m_SourceFile; // held open from the check to the last copy
};

enum class WriteTest {
    Writable,
    Denied, // no rights, or read-only media
    Failed, // for another reason (error tells it): no reason to speak of rights
};

// Whether a file can be created in the folder. A uniquely named probe file is created and removed again,
// so no file of anyone else's is touched; a probe file that cannot be removed is logged. error receives
// the system's error code when the test fails.
WriteTest testWriteAccess(const std::string& folder, InstallerLog& log, unsigned long& error);

} // namespace installer
