#pragma once
// Shared pieces of the plug-in tests: a host installation with the plug-in in bin\PlugIn, runs of the
// simulated host with their transcript and message boxes, and the lock that keeps tests which
// register the plug-in from running into each other.

#include "message_boxes.h"
#include "test_support.h"
#include "win32_handles.h"

#include <string>
#include <vector>

namespace plugintest {

// The plug-in DLL and the simulated host of this build, as Windows paths.
std::string plugInDll();
std::string hostProgram();

// Held while a test registers, unregisters or creates the plug-in: the registry is shared by every
// process of the test run.
class RegistryLock {
public:
    RegistryLock();
    ~RegistryLock();
    RegistryLock(const RegistryLock&) = delete;
    RegistryLock& operator=(const RegistryLock&) = delete;

private:
    strell::unique_handle_null m_Mutex;
};

// A host installation in a temporary folder, with the plug-in copied to bin\PlugIn under the name.
class Installation {
public:
    explicit Installation(const std::string& plugInName = "quovan.dll");
    const std::string& folder() const { return m_Folder.path(); }
    std::string plugInPath() const { return m_PlugInPath; }

private:
    testsupport::TempDir m_Folder;
    std::string m_PlugInPath;
};

// What one run of the simulated host left: its exit code, its transcript and the boxes that the
// plug-in showed (answered as the run was told, else with their first button).
struct HostRun {
    DWORD exitCode = 0;
    bool timedOut = false;
    std::vector<std::string> transcript;
    std::vector<testsupport::MessageBoxInfo> boxes;
    std::string output;

    bool has(const std::string& line) const;
    // The lines that the script step (its echo without "> ") produced, up to the next step or the end
    // of the script; the
    // occurrence counts from 1 when the same step appears more than once.
    std::vector<std::string> step(const std::string& command, int occurrence = 1) const;
    // Lines starting with the prefix, in order.
    std::vector<std::string> starting(const std::string& prefix) const;
    // The whole transcript, one line each, for failure messages.
    std::string dump() const;
};

// Runs the simulated host over the installation with the script; extraArguments are appended to the
// command line (for example "--no-register").
HostRun runHost(const Installation& installation, const std::string& script, std::vector<int> answers = {},
                const std::string& extraArguments = std::string());

// The default values of the registry keys (below HKEY_CLASSES_ROOT) and their sub-key names.
bool keyExists(const std::string& key);
std::string defaultValue(const std::string& key);
std::vector<std::string> subKeys(const std::string& key);
std::vector<std::string> valueNames(const std::string& key);

} // namespace plugintest
