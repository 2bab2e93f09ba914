#pragma once
// A private world for one installer run: the installer (and optionally the plug-in file) in a folder of
// their own, map installations as folders, and their registry entries below a base key of the test.

#include "message_boxes.h"
#include "pe_image.h"
#include "test_support.h"

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

namespace installertest {

// The kinds of DLL the installer accepts and refuses, and the crafted images of them.
using testsupport::kForeignMachine;
using testsupport::kPluginKind;
using testsupport::kPluginMachine;
using testsupport::pluginImage;
// The plug-in file that the sandbox puts beside the installer.
extern const std::string kPluginContent;

using testsupport::get;
using testsupport::put;

// The forms of the built programs that the run's fixture made (signed_files.sh): "unsigned.exe" (the
// installer every sandbox runs), "signed.exe", "same.dll" (a plug-in signed as signed.exe is),
// "foreign.dll" (signed with another key), "removed.dll" (same.dll with its signature removed).
std::string signedFile(const std::string& name);

class InstallerSandbox {
public:
    // withPlugin: whether quovan.dll lies next to the installer.
    explicit InstallerSandbox(bool withPlugin = true);
    ~InstallerSandbox();

    const std::string& root() const { return m_Root.path(); }
    std::string installerFolder() const { return m_Root.file("dist"); }
    std::string installerPath() const { return installerFolder() + "\\quovan_plugin_dist.exe"; }
    std::string logPath() const { return installerFolder() + "\\quovan.log"; }
    // The base key text passed with --basekey ("HKCU\Software\QuovanTests\<unique>").
    const std::string& baseKey() const { return m_BaseKey; }

    // Puts this program in the place of the sandbox's installer.
    void useInstaller(const std::string& program) const;

    // A map installation folder below the sandbox, with or without its bin\PlugIn folder.
    std::string makeInstallation(const std::string& name, bool withPluginFolder = true) const;
    static std::string pluginFolder(const std::string& installation) { return installation + "\\bin\\PlugIn"; }
    static std::string pluginFile(const std::string& installation) { return pluginFolder(installation) + "\\quovan.dll"; }

    // Registry entries below the base key.
    void addProduct(const std::string& product) const;
    void addSubKey(const std::string& product, const std::string& subKey) const;
    void setDestDir(const std::string& product, const std::string& subKey, const std::string& folder) const;
    void setValue(const std::string& product, const std::string& subKey, const std::string& name, DWORD type,
                  const void* data, DWORD size) const;
    // An installation sub-key named after its folder, written with "/" as the registry holds them.
    std::string addInstallationNamedByFolder(const std::string& product, const std::string& folder) const;
    // A key that is listed but cannot be opened.
    void lockKey(const std::string& relativeKey) const;

    // Runs the installer with the arguments (the base key is added unless the arguments name one).
    testsupport::ProgramRun run(const std::string& arguments, const std::vector<int>& answers = {},
                                const std::string& extraEnvironment = "") const;
    // Runs the installer with exactly these arguments.
    testsupport::ProgramRun runPlain(const std::string& arguments, const std::vector<int>& answers = {},
                                     const std::string& extraEnvironment = "") const;
    // Runs a copy of the installer elsewhere, with the sandbox's base key added.
    testsupport::ProgramRun runCopy(const std::string& installer, const std::string& arguments,
                                    const std::vector<int>& answers = {}) const;

    // The log's lines, each without the "INFO    quovan_plugin_dist.exe <date> <time> - " prefix.
    std::vector<std::string> logLines() const;
    std::string logText() const { return testsupport::readFile(logPath()); }

private:
    testsupport::TempDir m_Root{"inst"};
    std::string m_BaseKey;
    std::string m_RegistryPath; // below HKEY_CURRENT_USER
};

// MAPI32.DLL in the system folder, the only place the installer loads it from, for the life of this
// object; whatever lay there before (Wine's own, which the prefix never loads) comes back afterwards.
// The suites of installer_tests hold one lock, so no other run sees the exchange.
class SystemMailLibrary {
public:
    // library: the file to put there; empty for none at all. folder: another system folder than the
    // installer's (the 64-bit one, nativeSystemFolder()).
    explicit SystemMailLibrary(const std::string& library, const std::string& folder = std::string());
    ~SystemMailLibrary();
    SystemMailLibrary(const SystemMailLibrary&) = delete;
    SystemMailLibrary& operator=(const SystemMailLibrary&) = delete;

    const std::string& path() const { return m_Path; }

private:
    std::string m_Path;
    std::string m_Saved;
};

// The 64-bit system folder as a 32-bit program under WoW64 names it ("...\Sysnative").
std::string nativeSystemFolder();

// A folder of its own on a file system that the test run mounted: the writable folder and the read-only
// view of it, or a folder on a nearly full file system. Empty when the file system is not there (the
// run had no right to mount); the test then skips.
struct ReadOnlyFolder {
    std::string writable;
    std::string readOnly;
};
ReadOnlyFolder readOnlyFolder();
std::string fullDiskFolder();

// "C:\a\b" -> "C:/a/b"
std::string forwardSlashes(std::string path);

} // namespace installertest
