#include "folder_contents.h"
#include "message_boxes.h"
#include "pe_imports.h"
#include "test_support.h"
#include "version_info.h"
#include "win32_handles.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace testsupport;

namespace {

const char kHelpText[] =
    "usage: quovan_plugin_dist.exe [options]\n"
    "\n"
    "Options:\n"
    "  -ver, --version         ...optional, Show the version of the program\n"
    "  -h, --help              ...optional, Displays the helpscreen\n"
    "  -v, --verbose {integer} ...optional, Verbose level (0-3)\n"
    "  -r, --remove            ...optional, Removes the plugin from all found directories\n"
    "  -s, --silent            ...optional, Installs or removes without any message box; the exit code tells the "
    "result\n"
    "  -u, --url {string}      ...optional, Launches the given url\n"
    "  -b, --basekey {string}  ...optional, My string parameter\n";

// A private copy of the installer in its own folder, so that whatever it writes there can be seen.
class Installer {
public:
    Installer() : m_Path(m_Folder.file("quovan_plugin_dist.exe"))
    {
        if (!CopyFileA(winPath(INSTALLER_EXE).c_str(), m_Path.c_str(), FALSE))
            throw std::runtime_error("cannot copy the installer");
    }

    ProgramRun run(const std::string& arguments, const std::vector<int>& answers = {}) const
    {
        RunOptions options;
        options.currentFolder = m_Folder.path();
        options.timeoutMs = 30000;
        return runAnsweringBoxes(quoteArgument(m_Path) + " " + arguments, answers, options);
    }
    const TempDir& folder() const { return m_Folder; }

private:
    TempDir m_Folder{"installer"};
    std::string m_Path;
};

// A URL scheme of this test whose addresses the shell hands to the recorder. Registered for the user
// (where Windows looks first) and for the machine (the only place Wine 8 looks).
class RecordingScheme {
public:
    explicit RecordingScheme(const std::string& recordFile)
        : m_Name("quovantest" + std::to_string(GetCurrentProcessId()) + "x" + std::to_string(++s_Count)),
          m_Key("Software\\Classes\\" + m_Name)
    {
        const std::string command =
            quoteArgument(winPath(URL_RECORDER_EXE)) + " " + quoteArgument(recordFile) + " \"%1\"";
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
            setValue(root, m_Key, "", "URL:quovan test");
            setValue(root, m_Key, "URL Protocol", "");
            setValue(root, m_Key + "\\shell\\open\\command", "", command);
        }
    }
    ~RecordingScheme()
    {
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
            for (const char* sub : {"\\shell\\open\\command", "\\shell\\open", "\\shell", ""})
                RegDeleteKeyA(root, (m_Key + sub).c_str());
    }
    const std::string& name() const { return m_Name; }

private:
    static void setValue(HKEY root, const std::string& key, const char* name, const std::string& value)
    {
        strell::unique_hkey handle;
        if (RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, handle.put(), nullptr) !=
            ERROR_SUCCESS)
            throw std::runtime_error("cannot create " + key);
        RegSetValueExA(handle.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1));
    }

    static int s_Count;
    std::string m_Name;
    std::string m_Key;
};
int RecordingScheme::s_Count = 0;

// The record once it holds something (the shell starts the handler after the installer returns).
std::string waitForRecord(const std::string& file, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        const std::string text = readFile(file);
        if (!text.empty() && text.back() == '\n') {
            Sleep(1000); // a second opening would show up by now
            return readFile(file);
        }
        Sleep(50);
    }
    return std::string();
}

void expectSingleBox(const ProgramRun& run, const std::string& caption, const std::string& text)
{
    ASSERT_FALSE(run.timedOut);
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(run.boxes[0].caption, caption);
    EXPECT_EQ(run.boxes[0].text, text);
    EXPECT_EQ(run.boxes[0].buttons, std::vector<int>{IDOK});
    EXPECT_FALSE(run.boxes[0].hasIcon);
}

} // namespace

TEST(InstallerEntry, VersionPrintsTheVersionLineAndEnds)
{
    const Installer installer;
    for (const char* option : {"--version", "-ver", "-r -ver"}) {
        const ProgramRun run = installer.run(option);
        EXPECT_FALSE(run.timedOut);
        EXPECT_EQ(run.exitCode, 0u) << option;
        // The library's singleton notice comes first; standard output is in text mode.
        EXPECT_EQ(run.output, "::init singleton\r\nVersion 1.95\r\n\r\n") << option;
        EXPECT_TRUE(run.boxes.empty()) << option;
    }
    EXPECT_EQ(folderContents(installer.folder().path()), std::vector<std::string>{"quovan_plugin_dist.exe"});
}

// The manifest as Windows reads it when the installer starts.
TEST(InstallerEntry, ManifestAsksForAdministratorAndCommonControls)
{
    const strell::unique_hmodule module(
        LoadLibraryExA(winPath(INSTALLER_EXE).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(module);
    const HRSRC resource = FindResourceA(module.get(), MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24)); // RT_MANIFEST
    ASSERT_NE(resource, nullptr);
    const HGLOBAL data = LoadResource(module.get(), resource);
    ASSERT_NE(data, nullptr);
    const std::string manifest(static_cast<const char*>(LockResource(data)), SizeofResource(module.get(), resource));

    EXPECT_NE(manifest.find("level=\"requireAdministrator\" uiAccess=\"false\""), std::string::npos);
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(manifest.find("<dpiAwareness"), std::string::npos);
    // The texts are code page 1252; a UTF-8 process code page would garble every box.
    EXPECT_EQ(manifest.find("activeCodePage"), std::string::npos);
}

// Linked statically: a bare Windows has everything the installer imports.
TEST(InstallerEntry, ImportsSystemDllsOnly)
{
    const std::vector<std::string> imports = importedDlls(winPath(INSTALLER_EXE));
    EXPECT_NE(std::find(imports.begin(), imports.end(), "KERNEL32.dll"), imports.end());
    EXPECT_EQ(foreignImports(winPath(INSTALLER_EXE)), std::vector<std::string>{});
}

TEST(InstallerEntry, VersionResourceNamesMakerAndVersion)
{
    const VersionInfo info = readVersionInfo(winPath(INSTALLER_EXE));
    EXPECT_EQ(info.fileVersion, "1.95.0.0");
    EXPECT_EQ(info.productVersion, "1.95.0.0");
    EXPECT_EQ(info.value("FileVersion"), "1.95");
    EXPECT_EQ(info.value("ProductVersion"), "1.95");
    EXPECT_EQ(info.value("CompanyName"), "telvor");
    EXPECT_EQ(info.value("OriginalFilename"), "quovan_plugin_dist.exe");
    EXPECT_EQ(info.value("LegalCopyright"), "\xA9 2009 telvor. Alle Rechte vorbehalten."); // code page 1252
    EXPECT_NE(info.value("FileDescription"), "");
}

TEST(InstallerEntry, HelpBox)
{
    const Installer installer;
    for (const char* option : {"--help", "-h", "-v 2 -h"}) {
        const ProgramRun run = installer.run(option);
        expectSingleBox(run, "quovan_plugin_dist.exe", kHelpText);
        EXPECT_EQ(run.exitCode, 0u) << option;
        EXPECT_EQ(run.output, "::init singleton\r\n") << option;
    }
}

TEST(InstallerEntry, TextErrorsEndInTheErrorBox)
{
    const Installer installer;
    struct Case {
        const char* arguments;
        const char* text;
    };
    const Case cases[] = {
        {"--variables a=1", "Unexpected argument found: --variables"},
        {"-r stray", "Unexpected argument found: stray"},
        {"--url", "Argument missing for parameter: \"--url\" \"-u\" \n  type       : string \n"
                  "  description: Launches the given url"},
        {"--version --bogus", "Unexpected argument found: --bogus"},
    };
    for (const Case& c : cases) {
        const ProgramRun run = installer.run(c.arguments);
        expectSingleBox(run, "Fehler", c.text);
        EXPECT_EQ(run.exitCode, 1u) << c.arguments;
        EXPECT_EQ(run.output.find("Version"), std::string::npos) << c.arguments; // no version line
    }
    // Each error is in the log next to the installer, after the level, program and time prefix.
    const std::vector<std::string> lines = splitLines(readFile(installer.folder().file("quovan.log")));
    std::vector<std::string> errors;
    for (const std::string& line : lines)
        if (line.find(" - ERROR::(quovan_plugin_dist.exe) ") != std::string::npos)
            errors.push_back(line.substr(line.find(" - ERROR::") + 3));
    ASSERT_EQ(errors.size(), 4u);
    EXPECT_EQ(errors[0], "ERROR::(quovan_plugin_dist.exe) Unexpected argument found: --variables");
    EXPECT_EQ(errors[3], "ERROR::(quovan_plugin_dist.exe) Unexpected argument found: --bogus");
}

TEST(InstallerEntry, UrlIsOpenedAndNothingElseHappens)
{
    const Installer installer;
    for (const char* options : {"--url", "-r -u"}) {
        const TempDir records("records");
        const std::string recordFile = records.file("opened.txt");
        const RecordingScheme scheme(recordFile);
        const std::string url = scheme.name() + "://host/path?a=1&b=2";

        const ProgramRun run = installer.run(std::string(options) + " " + url);
        EXPECT_FALSE(run.timedOut);
        EXPECT_TRUE(run.boxes.empty());
        EXPECT_EQ(run.exitCode, 0u);
        EXPECT_EQ(waitForRecord(recordFile, 20000), url + "\n") << options;
        EXPECT_EQ(folderContents(installer.folder().path()), std::vector<std::string>{"quovan_plugin_dist.exe"});
    }
}

TEST(InstallerEntry, HelpWinsOverUrl)
{
    const Installer installer;
    const TempDir records("records");
    const std::string recordFile = records.file("opened.txt");
    const RecordingScheme scheme(recordFile);

    const ProgramRun run = installer.run("--url " + scheme.name() + ":never --help");
    expectSingleBox(run, "quovan_plugin_dist.exe", kHelpText);
    EXPECT_EQ(run.exitCode, 0u);
    Sleep(1500);
    EXPECT_FALSE(exists(recordFile));
}
