// Silent mode for unattended roll-outs: no box at all, every box text in the log, the result in the
// exit code and in one summary line at the end of the log.

#include "installer_sandbox.h"

#include "ansi_path.h"
#include "process_launcher.h"
#include "win32_handles.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace installertest;
using namespace testsupport;

namespace {

bool hasLine(const std::vector<std::string>& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

bool logHolds(const std::string& logFile, const std::string& text)
{
    return readFile(logFile).find(text) != std::string::npos;
}

bool logHolds(const InstallerSandbox& sandbox, const std::string& text)
{
    return logHolds(sandbox.logPath(), text);
}

// Three installations of two products, each with its plug-in folder.
struct ThreeInstallations {
    InstallerSandbox sandbox;
    std::string top50 = sandbox.makeInstallation("Top50");
    std::string top50old = sandbox.makeInstallation("Top50old");
    std::string amap = sandbox.makeInstallation("AMap");
    ThreeInstallations()
    {
        sandbox.setDestDir("Top50", "A", top50);
        sandbox.setDestDir("Top50", "B", top50old);
        sandbox.setDestDir("Austrian Map", "A", amap);
    }
};

} // namespace

TEST(InstallerSilent, InstallAndRemoveTellTheirResultWithoutABox)
{
    ThreeInstallations world;
    const ProgramRun installed = world.sandbox.run("--silent");
    EXPECT_EQ(installed.exitCode, 0u);
    EXPECT_TRUE(installed.boxes.empty());
    for (const std::string& folder : {world.top50, world.top50old, world.amap})
        EXPECT_EQ(readFile(InstallerSandbox::pluginFile(folder)), kPluginContent);
    EXPECT_TRUE(logHolds(world.sandbox, "Information: Die Quovan Schnittstelle wurde für 3 installierte(s) "
                                        "Programm(e) installiert!"))
        << world.sandbox.logText();
    EXPECT_TRUE(hasLine(world.sandbox.logLines(), "Silent run: 3 installation(s) found, 3 installed, 0 failed, exit code 0"));

    const ProgramRun removed = world.sandbox.run("-s --remove");
    EXPECT_EQ(removed.exitCode, 0u);
    EXPECT_TRUE(removed.boxes.empty());
    EXPECT_FALSE(exists(InstallerSandbox::pluginFile(world.top50)));
    EXPECT_TRUE(hasLine(world.sandbox.logLines(), "Silent run: 3 installation(s) found, 3 removed, 0 failed, exit code 0"));
}

TEST(InstallerSilent, FailedCopyAmongSuccessfulOnesGivesTwoAndNoMail)
{
    ThreeInstallations world;
    // A folder where the plug-in file should be: the copy onto it fails.
    CreateDirectoryA(InstallerSandbox::pluginFile(world.top50old).c_str(), nullptr);
    // A mail library that would record a mail: none may be sent.
    const std::string mailRecord = world.sandbox.root() + "\\mail.txt";
    const SystemMailLibrary mail(winPath(MAPI_DOUBLE_DLL));

    const ProgramRun run = world.sandbox.run("--silent", {}, "QUOVAN_MAPI_RECORD=" + mailRecord);
    EXPECT_EQ(run.exitCode, 2u);
    EXPECT_TRUE(run.boxes.empty());
    EXPECT_EQ(readFile(InstallerSandbox::pluginFile(world.top50)), kPluginContent);
    EXPECT_EQ(readFile(InstallerSandbox::pluginFile(world.amap)), kPluginContent);
    EXPECT_TRUE(logHolds(world.sandbox, "Fehler: Die Installation des Plugins für \"Top50\" ist fehlgeschlagen!"));
    EXPECT_FALSE(logHolds(world.sandbox, "Wollen Sie das Fehlerprotokoll"));
    EXPECT_FALSE(exists(mailRecord));
    EXPECT_TRUE(hasLine(world.sandbox.logLines(), "Silent run: 3 installation(s) found, 2 installed, 1 failed, exit code 2"));

    // A plug-in that the map application holds open cannot be deleted: that removal fails.
    const strell::unique_hfile holder(CreateFileA(InstallerSandbox::pluginFile(world.amap).c_str(), GENERIC_READ,
                                                  FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder);
    const ProgramRun removed = world.sandbox.run("--silent --remove");
    EXPECT_EQ(removed.exitCode, 2u);
    EXPECT_TRUE(removed.boxes.empty());
}

TEST(InstallerSilent, NoInstallationGivesFour)
{
    InstallerSandbox sandbox;
    const ProgramRun missingKey = sandbox.run("--silent --basekey HKCU\\Software\\QuovanTests\\Nowhere");
    EXPECT_EQ(missingKey.exitCode, 4u);
    EXPECT_TRUE(missingKey.boxes.empty());
    EXPECT_TRUE(logHolds(sandbox, "Quovan - Geogrid Plugin Installation: Es konnten leider keine installierten"));
    const std::string none = "Silent run: 0 installation(s) found, 0 installed, 0 failed, exit code 4";
    EXPECT_EQ(sandbox.logLines().back(), none);

    // A product whose only installation has no plug-in folder: nothing to install into.
    sandbox.setDestDir("Top50", "A", sandbox.makeInstallation("Top50", false));
    const ProgramRun noFolder = sandbox.run("--silent");
    EXPECT_EQ(noFolder.exitCode, 4u);
    EXPECT_TRUE(noFolder.boxes.empty());
    EXPECT_EQ(sandbox.logLines().back(), none);
}

TEST(InstallerSilent, WrongCommandLineGivesOneAndOptionFileSetsSilentMode)
{
    InstallerSandbox sandbox;
    const std::string ended = "Silent run: ended by an error, exit code 1";
    const ProgramRun wrong = sandbox.runPlain("--silent --verbose");
    EXPECT_EQ(wrong.exitCode, 1u);
    EXPECT_TRUE(wrong.boxes.empty());
    EXPECT_EQ(sandbox.logLines().back(), ended);

    // Silent in the option file is silent for its own errors and those of the command line, as -s is;
    // so is a silent switch whose value is no switch word.
    const std::string ini = sandbox.root() + "\\quovan_plugin_dist.ini";
    const std::pair<const char*, const char*> errors[] = {
        {"[parameters]\nsilent=1\nremove=maybe\n", ""},
        {"[parameters]\nsilent=yes\n", "--bogus"},
        {"[parameters]\nsilent=on\n", "-v"},
        {"[parameters]\nsilent=maybe\n", ""},
    };
    for (const auto& c : errors) {
        writeFile(ini, c.first);
        const ProgramRun run = sandbox.run(c.second);
        EXPECT_EQ(run.exitCode, 1u) << c.first << c.second;
        EXPECT_TRUE(run.boxes.empty()) << c.first << c.second << run.boxes[0].text;
        EXPECT_EQ(sandbox.logLines().back(), ended) << c.first << c.second;
    }

    const std::string top50 = sandbox.makeInstallation("Top50");
    sandbox.setDestDir("Top50", "A", top50);
    writeFile(ini, "[parameters]\nsilent=1\n");
    const ProgramRun fromFile = sandbox.run("");
    EXPECT_EQ(fromFile.exitCode, 0u);
    EXPECT_TRUE(fromFile.boxes.empty());
    EXPECT_EQ(readFile(InstallerSandbox::pluginFile(top50)), kPluginContent);
}

TEST(InstallerSilent, HelpStillShowsItsBox)
{
    InstallerSandbox sandbox;
    const ProgramRun run = sandbox.runPlain("--silent --help");
    EXPECT_EQ(run.exitCode, 0u);
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(run.boxes[0].caption, "quovan_plugin_dist.exe");
    EXPECT_NE(run.boxes[0].text.find("-s, --silent"), std::string::npos) << run.boxes[0].text;
}

// The installer started from a folder outside the code page ("Łukasz"), installing into one
// ("Łódź"): both are reached through their short names, and the log lies where the installer is.
TEST(InstallerSilent, FoldersOutsideTheCodePage)
{
    InstallerSandbox sandbox;
    const std::wstring root = strell::toWideText(sandbox.root());
    const std::wstring own = root + L"\\\u0141ukasz";
    const std::wstring maps = root + L"\\\u0141\u00f3d\u017a";
    for (const std::wstring& folder : {own, maps, maps + L"\\bin", maps + L"\\bin\\PlugIn"})
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    const std::wstring installer = own + L"\\quovan_plugin_dist.exe";
    ASSERT_TRUE(CopyFileW(strell::toWideText(sandbox.installerPath()).c_str(), installer.c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(strell::toWideText(sandbox.installerFolder() + "\\quovan.dll").c_str(),
                          (own + L"\\quovan.dll").c_str(), FALSE));
    const std::wstring key = strell::toWideText(sandbox.baseKey().substr(5)) + L"\\Top50\\A";
    strell::unique_hkey handle;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, handle.put(),
                              nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(handle.get(), L"DestDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(maps.c_str()),
                   static_cast<DWORD>((maps.size() + 1) * sizeof(wchar_t)));
    handle.reset();

    LaunchOptions options;
    options.currentFolder = sandbox.root();
    ChildProcess process =
        launch(L"\"" + installer + L"\" --silent --basekey " + strell::toWideText(quoteArgument(sandbox.baseKey())),
               options);
    ASSERT_TRUE(process.wait(60000));
    EXPECT_EQ(process.exitCode(), 0u);

    const std::wstring log = own + L"\\quovan.log";
    std::string shortLog;
    ASSERT_TRUE(strell::toAnsiPath(log, shortLog)) << "no log beside the installer";
    EXPECT_TRUE(logHolds(shortLog, "Silent run: 1 installation(s) found, 1 installed, 0 failed, exit code 0"));
    std::string plugin;
    ASSERT_TRUE(strell::toAnsiPath(maps + L"\\bin\\PlugIn\\quovan.dll", plugin));
    EXPECT_EQ(readFile(plugin), kPluginContent);
}
