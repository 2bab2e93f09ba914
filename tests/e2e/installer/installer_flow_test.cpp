// The installer's main flow end to end: discovery, copying, removal, summary boxes, log lines.

#include "installer_sandbox.h"

#include "cross_bitness.h"
#include "folder_contents.h"
#include "ansi_path.h"
#include "win32_handles.h"

#include <gtest/gtest.h>
#include <winsock2.h>

#include <algorithm>

using namespace installertest;
using namespace testsupport;

namespace {

const char kInstallCaption[] = "Information";

std::string installSummary(int count, const std::string& list)
{
    return "Die Quovan Schnittstelle wurde für " + std::to_string(count) + " installierte(s) Programm(e) installiert!\n\n" +
           list;
}

std::string removeSummary(int count, const std::string& list)
{
    return "Die Quovan Schnittstelle wurde aus " + std::to_string(count) + " installierten Programm(en) entfernt!\n\n" +
           list;
}

// The log lines of one run, without the facade's attach line.
std::vector<std::string> runLines(const InstallerSandbox& sandbox)
{
    std::vector<std::string> lines = sandbox.logLines();
    lines.erase(std::remove_if(lines.begin(), lines.end(),
                               [](const std::string& l) { return l.rfind("attached to log file ", 0) == 0; }),
                lines.end());
    return lines;
}

} // namespace

TEST(InstallerFlow, InstallsIntoEveryInstallationWithAPluginFolder)
{
    InstallerSandbox sandbox;
    const std::string top50 = sandbox.makeInstallation("Top50");
    const std::string old = sandbox.makeInstallation("Top50old", false);
    const std::string amap = sandbox.makeInstallation("AMap");
    const std::string top50Key = sandbox.addInstallationNamedByFolder("Top50", top50);
    const std::string oldKey = sandbox.addInstallationNamedByFolder("Top50", old);
    sandbox.setDestDir("Austrian Map", "Installation1", amap);

    const ProgramRun run = sandbox.run("");
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 0u);
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(run.boxes[0].caption, kInstallCaption);
    EXPECT_EQ(run.boxes[0].text, installSummary(2, "Austrian Map\nTop50\n"));
    EXPECT_EQ(run.boxes[0].buttonText(), "OK");
    EXPECT_TRUE(run.boxes[0].hasIcon);

    EXPECT_EQ(readFile(InstallerSandbox::pluginFile(top50)), kPluginContent);
    EXPECT_EQ(readFile(InstallerSandbox::pluginFile(amap)), kPluginContent);
    EXPECT_FALSE(exists(old + "\\bin"));

    const std::string source = sandbox.installerFolder() + "\\quovan.dll";
    const std::vector<std::string> expected = {
        " key  0 \"" + sandbox.baseKey() + "\\Austrian Map\"",
        "   sub  0 \"Installation1\"",
        // Once, before the first copy: the sandbox's installer is unsigned, as in development.
        "        signature of the plug-in not checked: the installer itself is unsigned (CryptQueryObject 0x80092009)",
        "        copy: '" + source + "' => '" + InstallerSandbox::pluginFile(amap) + "'",
        " key  1 \"" + sandbox.baseKey() + "\\Top50\"",
        "   sub  0 \"" + top50Key + "\"",
        "        copy: '" + source + "' => '" + InstallerSandbox::pluginFile(top50) + "'",
        "   sub  1 \"" + oldKey + "\"",
        "        spipped3: directory does not exist '" + old + "\\bin\\PlugIn'",
    };
    EXPECT_EQ(runLines(sandbox), expected);
}

TEST(InstallerFlow, LogLinesCarryLevelProgramAndTime)
{
    InstallerSandbox sandbox;
    sandbox.addProduct("Empty");
    ASSERT_EQ(sandbox.run("").exitCode, 0u);
    const std::vector<std::string> raw = splitLines(sandbox.logText());
    ASSERT_EQ(raw.size(), 2u);
    EXPECT_EQ(raw[0], "attached to log file " + sandbox.root() + "\\" + sandbox.logPath());
    // INFO, padded to 7, the program, date and time, then the text.
    const std::string& line = raw[1];
    ASSERT_GT(line.size(), 53u);
    EXPECT_EQ(line.substr(0, 31), "INFO    quovan_plugin_dist.exe ");
    EXPECT_EQ(line[33], '.');
    EXPECT_EQ(line[36], '.');
    EXPECT_EQ(line[41], ' ');
    EXPECT_EQ(line[44], ':');
    EXPECT_EQ(line.substr(50), " -  key  0 \"" + sandbox.baseKey() + "\\Empty\"");
}

TEST(InstallerFlow, ReinstallOverwritesAndCountsTwiceForOneFolder)
{
    InstallerSandbox sandbox;
    const std::string top50 = sandbox.makeInstallation("Top50");
    writeFile(InstallerSandbox::pluginFile(top50), "old build of the plug-in, longer than the new one");
    sandbox.addInstallationNamedByFolder("Top50", top50);
    sandbox.setDestDir("Top50", "Second", top50); // the same folder once more

    const ProgramRun run = sandbox.run("");
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(run.boxes[0].text, installSummary(2, "Top50\nTop50\n"));
    EXPECT_EQ(readFile(InstallerSandbox::pluginFile(top50)), kPluginContent);
    // No temporary file or write-test file stays behind.
    EXPECT_EQ(folderContents(InstallerSandbox::pluginFolder(top50)), std::vector<std::string>{"quovan.dll"});
}

TEST(InstallerFlow, RemoveDeletesWhatIsThereAndLogsTheRest)
{
    InstallerSandbox sandbox;
    const std::string with = sandbox.makeInstallation("With");
    const std::string without = sandbox.makeInstallation("Without");
    writeFile(InstallerSandbox::pluginFile(with), "installed");
    sandbox.setDestDir("Top50", "A", with);
    sandbox.setDestDir("Top50", "B", without);

    for (const char* option : {"--remove", "-r"}) {
        const ProgramRun run = sandbox.run(option);
        EXPECT_EQ(run.exitCode, 0u);
        ASSERT_EQ(run.boxes.size(), 1u);
        EXPECT_EQ(run.boxes[0].caption, "Information");
        EXPECT_FALSE(run.boxes[0].hasIcon);
        EXPECT_EQ(run.boxes[0].buttonText(), "OK");
        if (std::string(option) == "--remove")
            EXPECT_EQ(run.boxes[0].text, removeSummary(1, "Top50\n"));
        else
            EXPECT_EQ(run.boxes[0].text, removeSummary(0, "")); // nothing left to remove
        EXPECT_FALSE(exists(InstallerSandbox::pluginFile(with)));
    }
    const std::vector<std::string> lines = runLines(sandbox);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "        delete: '" + InstallerSandbox::pluginFile(with) + "'"),
              lines.end());
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "        not found: '" + InstallerSandbox::pluginFile(without) + "'"),
              2);
}

TEST(InstallerFlow, RemoveNeedsNoPluginFileAndListsFailedDeletions)
{
    InstallerSandbox sandbox(false);
    const std::string top50 = sandbox.makeInstallation("Top50");
    const std::string amap = sandbox.makeInstallation("AMap");
    const std::string loose = sandbox.makeInstallation("Loose");
    // A folder where the plug-in file should be: no plug-in there to remove.
    CreateDirectoryA(InstallerSandbox::pluginFile(top50).c_str(), nullptr);
    writeFile(InstallerSandbox::pluginFile(top50) + "\\keep", "x");
    // The map application has its plug-in loaded: it cannot be deleted.
    writeFile(InstallerSandbox::pluginFile(amap), "loaded");
    strell::unique_hfile loaded(CreateFileA(InstallerSandbox::pluginFile(amap).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                            nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(loaded);
    writeFile(InstallerSandbox::pluginFile(loose), "installed");
    sandbox.setDestDir("Top50", "A", top50);
    sandbox.setDestDir("Austrian Map", "A", amap);
    sandbox.setDestDir("Loose", "A", loose);

    const ProgramRun run = sandbox.run("--remove");
    loaded.reset();
    EXPECT_EQ(run.exitCode, 0u);
    ASSERT_EQ(run.boxes.size(), 1u); // no mail in remove mode
    EXPECT_EQ(run.boxes[0].text, removeSummary(1, "Loose\n") + "\n\nBei 1 installierten Programm(en) ist das Entfernen "
                                                                 "des Plugins fehlgeschlagen:\n\nAustrian Map\n");
    EXPECT_TRUE(exists(InstallerSandbox::pluginFile(top50) + "\\keep"));
    EXPECT_EQ(readFile(InstallerSandbox::pluginFile(amap)), "loaded");
    EXPECT_FALSE(exists(InstallerSandbox::pluginFile(loose)));
}

TEST(InstallerFlow, NoInstallationsWhenTheBaseKeyCannotBeOpened)
{
    InstallerSandbox sandbox;
    const char* text = "Es konnten leider keine installierten Geogridkarten (Top50, Austrian Map, ...) gefunden werden!";
    for (const std::string& baseKey : {sandbox.baseKey() + "\\Missing", std::string("HKU\\Software"),
                                       std::string("Software\\NoRoot")}) {
        const ProgramRun run = sandbox.run("--basekey " + quoteArgument(baseKey));
        EXPECT_EQ(run.exitCode, 0u) << baseKey;
        ASSERT_EQ(run.boxes.size(), 1u) << baseKey;
        EXPECT_EQ(run.boxes[0].caption, "Quovan - Geogrid Plugin Installation");
        EXPECT_EQ(run.boxes[0].text, text);
        EXPECT_TRUE(run.boxes[0].hasIcon);
    }
    const std::vector<std::string> lines = runLines(sandbox);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), std::string("ERROR::(quovan_plugin_dist.exe) ") + text);
}

TEST(InstallerFlow, BaseKeyRootInLowerCaseIsAccepted)
{
    InstallerSandbox sandbox;
    const std::string top50 = sandbox.makeInstallation("Top50");
    sandbox.setDestDir("Top50", "A", top50);
    const std::string lower = "hkcu" + sandbox.baseKey().substr(4);
    const ProgramRun run = sandbox.run("-b " + quoteArgument(lower));
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(run.boxes[0].text, installSummary(1, "Top50\n"));
}

TEST(InstallerFlow, InstallationFolderFromTheSubKeyNameOrDestDir)
{
    InstallerSandbox sandbox;
    const std::string byName = sandbox.makeInstallation("ByName");
    const std::string prefixed = sandbox.makeInstallation("Prefixed");
    const std::string colonFirst = sandbox.makeInstallation("ColonFirst");
    const std::string trailing = sandbox.makeInstallation("Trailing");
    sandbox.addInstallationNamedByFolder("P1", byName);
    sandbox.addSubKey("P2", "Top50 " + forwardSlashes(prefixed)); // text before the drive letter
    sandbox.setDestDir("P3", ":first", colonFirst);                // colon first: DestDir counts
    sandbox.setDestDir("P4", "noColon", trailing + "\\");          // trailing backslash
    // A folder named through the environment.
    const std::string expanded = sandbox.makeInstallation("Expanded");
    const std::string unexpanded = "%QUOVAN_TEST_ROOT%\\Expanded";
    sandbox.setValue("P5", "expand", "DestDir", REG_EXPAND_SZ, unexpanded.c_str(),
                     static_cast<DWORD>(unexpanded.size() + 1));

    const ProgramRun run = sandbox.run("", {}, "QUOVAN_TEST_ROOT=" + sandbox.root());
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(run.boxes[0].text, installSummary(5, "P1\nP2\nP3\nP4\nP5\n"));
    for (const std::string& folder : {byName, prefixed, colonFirst, expanded})
        EXPECT_EQ(readFile(InstallerSandbox::pluginFile(folder)), kPluginContent) << folder;
    const std::vector<std::string> lines = runLines(sandbox);
    const std::string source = sandbox.installerFolder() + "\\quovan.dll";
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "        copy: '" + source + "' => '" + trailing + "\\bin\\PlugIn\\quovan.dll'"),
              lines.end());
}

TEST(InstallerFlow, UnusableDestDirValuesAreSkipped)
{
    InstallerSandbox sandbox;
    sandbox.addSubKey("Empty", "noValue");
    sandbox.setDestDir("Empty", "emptyValue", "");
    const std::string overlong(1100, 'x');
    sandbox.setDestDir("Long", "overlong", "C:\\" + overlong);
    const DWORD number = 0x43; // reads as the text "C"
    sandbox.setValue("Number", "dword", "DestDir", REG_DWORD, &number, sizeof number);
    sandbox.setDestDir("Gone", "missing", sandbox.root() + "\\missing");

    const ProgramRun run = sandbox.run("");
    EXPECT_EQ(run.exitCode, 0u);
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(run.boxes[0].text, installSummary(0, ""));
    const std::vector<std::string> lines = runLines(sandbox);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "        spipped1: no ':'"), 3); // none, empty, overlong
    EXPECT_NE(std::find(lines.begin(), lines.end(), "        spipped2: directory does not exist 'C'"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "        spipped2: directory does not exist '" + sandbox.root() + "\\missing'"),
              lines.end());
}

TEST(InstallerFlow, ProductWithoutInstallationsOnlyLogsItsKey)
{
    InstallerSandbox sandbox;
    sandbox.addProduct("Lonely");
    const ProgramRun run = sandbox.run("");
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(run.boxes[0].text, installSummary(0, ""));
    EXPECT_EQ(runLines(sandbox), std::vector<std::string>{" key  0 \"" + sandbox.baseKey() + "\\Lonely\""});
}

// A product or installation that cannot be used fails alone; the walk goes on.
TEST(InstallerFlow, KeysThatCannotBeUsedFailOnlyTheirProduct)
{
    InstallerSandbox sandbox;
    const std::string top50 = sandbox.makeInstallation("Top50");
    sandbox.setDestDir("A Product", "A", top50);
    sandbox.lockKey("B Locked");
    sandbox.setDestDir("C Sub", "First", top50);
    sandbox.lockKey("C Sub\\Second");
    // A product key named outside the code page: the ANSI functions would turn it into a look-alike.
    const std::wstring wideProduct = L"D \u0141\u00f3d\u017a";
    strell::unique_hkey wide;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER,
                              (strell::toWideText(sandbox.baseKey().substr(5)) + L"\\" + wideProduct + L"\\Inst").c_str(),
                              0, nullptr, 0, KEY_ALL_ACCESS, nullptr, wide.put(), nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(wide.get(), "DestDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(top50.c_str()),
                   static_cast<DWORD>(top50.size() + 1));
    wide.reset();
    const std::string product = strell::toAnsiText(wideProduct);

    // A trailing backslash on the base key changes nothing.
    const ProgramRun run = sandbox.run("--basekey " + quoteArgument(sandbox.baseKey() + "\\"), {IDOK, IDOK, IDOK, IDNO});
    EXPECT_EQ(run.exitCode, 0u);
    ASSERT_EQ(run.boxes.size(), 4u);
    const std::string failure = "Die Installation des Plugins für \"B Locked\" ist fehlgeschlagen!\nBitte stellen Sie "
                                "sicher, dass das Programm nicht gerade läuft!\n\nAssertion \"ret==ERROR_SUCCESS\" failed "
                                "\"Could not open key \"" +
                                sandbox.baseKey() + "\\B Locked\"!\" [\"./src/registry:";
    EXPECT_EQ(run.boxes[0].text.substr(0, failure.size()), failure);
    EXPECT_NE(run.boxes[1].text.find("Could not open key \"" + sandbox.baseKey() + "\\C Sub\\Second\"!"),
              std::string::npos)
        << run.boxes[1].text;
    EXPECT_EQ(run.boxes[2].text, installSummary(3, "A Product\nC Sub\n" + product + "\n") +
                                     "\n\nBei 2 installierten Programm(en) ist die Installation des Plugins "
                                     "fehlgeschlagen:\n\nB Locked\nC Sub\n");
    EXPECT_EQ(run.boxes[3].caption, "Frage");
    EXPECT_EQ(readFile(InstallerSandbox::pluginFile(top50)), kPluginContent);
    const std::vector<std::string> lines = runLines(sandbox);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "ERROR::(quovan_plugin_dist.exe) " + run.boxes[0].text.substr(
                                                        run.boxes[0].text.find("Assertion"))),
              lines.end());
}

// Switches in the option file take a yes or a no; anything else is an error that names it. A line
// longer than the reader's piece stays one line.
TEST(InstallerFlow, OptionFileSwitchValuesAndLongLines)
{
    InstallerSandbox sandbox;
    const std::string top50 = sandbox.makeInstallation("Top50");
    sandbox.setDestDir("Top50", "A", top50);
    const std::string ini = sandbox.root() + "\\quovan_plugin_dist.ini";
    for (const char* value : {"0", "false", "", "No", "OFF", " 0 "}) {
        writeFile(ini, std::string("[parameters]\nremove=") + value + "\n");
        const ProgramRun run = sandbox.run("");
        ASSERT_EQ(run.boxes.size(), 1u) << value;
        EXPECT_EQ(run.boxes[0].text, installSummary(1, "Top50\n")) << value;
    }
    for (const char* value : {"1", "TRUE", "yes", "On"}) {
        writeFile(InstallerSandbox::pluginFile(top50), "installed");
        writeFile(ini, std::string("[parameters]\nremove=") + value + "\n");
        const ProgramRun run = sandbox.run("");
        ASSERT_EQ(run.boxes.size(), 1u) << value;
        EXPECT_EQ(run.boxes[0].text, removeSummary(1, "Top50\n")) << value;
    }
    // Notepad begins the file with a byte-order mark.
    writeFile(InstallerSandbox::pluginFile(top50), "installed");
    writeFile(ini, "\xEF\xBB\xBF[parameters]\r\nremove=1\r\n");
    const ProgramRun marked = sandbox.run("");
    ASSERT_EQ(marked.boxes.size(), 1u);
    EXPECT_EQ(marked.boxes[0].text, removeSummary(1, "Top50\n"));

    writeFile(ini, "[parameters]\nremove=maybe\n");
    const ProgramRun wrong = sandbox.run("");
    EXPECT_EQ(wrong.exitCode, 1u);
    ASSERT_EQ(wrong.boxes.size(), 1u);
    EXPECT_EQ(wrong.boxes[0].caption, "Fehler");
    EXPECT_EQ(wrong.boxes[0].text.rfind("Invalid value for switch in option file: remove=maybe", 0), 0u)
        << wrong.boxes[0].text;
    EXPECT_FALSE(exists(InstallerSandbox::pluginFile(top50)));

    // Or saves it as "Unicode" (UTF-16); a value the code page cannot hold is an error naming the key.
    writeFile(InstallerSandbox::pluginFile(top50), "installed");
    writeFile(ini, utf16File(u"[parameters]\r\nremove=1\r\n"));
    const ProgramRun unicode = sandbox.run("");
    ASSERT_EQ(unicode.boxes.size(), 1u);
    EXPECT_EQ(unicode.boxes[0].text, removeSummary(1, "Top50\n"));
    writeFile(InstallerSandbox::pluginFile(top50), "installed");
    writeFile(ini, utf16File(u"[parameters]\r\nremove=\u0141\r\n"));
    const ProgramRun unmappable = sandbox.run("");
    EXPECT_EQ(unmappable.exitCode, 1u);
    ASSERT_EQ(unmappable.boxes.size(), 1u);
    EXPECT_EQ(unmappable.boxes[0].text.find("Value \"remove\" in section \"parameters\" of file "), 0u)
        << unmappable.boxes[0].text;
    EXPECT_EQ(readFile(InstallerSandbox::pluginFile(top50)), "installed");

    // The tail of a long comment reads like a switch; it is part of the comment.
    writeFile(ini, "[parameters]\n#" + std::string(1022, 'x') + "remove=1\n");
    const ProgramRun commented = sandbox.run("");
    ASSERT_EQ(commented.boxes.size(), 1u);
    EXPECT_EQ(commented.boxes[0].text, installSummary(1, "Top50\n"));
}

TEST(InstallerFlow, OptionFileCompletesTheCommandLine)
{
    InstallerSandbox sandbox;
    const std::string top50 = sandbox.makeInstallation("Top50");
    writeFile(InstallerSandbox::pluginFile(top50), "installed");
    sandbox.setDestDir("Top50", "A", top50);
    // basekey and remove from the file win over the command line; url and help there have no effect.
    writeFile(sandbox.root() + "\\quovan_plugin_dist.ini",
              "[parameters]\nbasekey=" + sandbox.baseKey() + "\nremove=1\nurl=quovantest:never\nhelp=1\n");

    const ProgramRun run = sandbox.run("--basekey HKCU\\Software\\Nowhere");
    EXPECT_EQ(run.exitCode, 0u);
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(run.boxes[0].text, removeSummary(1, "Top50\n"));
}

TEST(InstallerFlow, BrokenOptionFileIsIgnored)
{
    InstallerSandbox sandbox;
    const std::string top50 = sandbox.makeInstallation("Top50");
    sandbox.setDestDir("Top50", "A", top50);
    std::string garbage;
    for (int i = 0; i < 5000; ++i)
        garbage += static_cast<char>((i * 7919) % 256);
    writeFile(sandbox.root() + "\\quovan_plugin_dist.ini", "[parameters\n=\n" + garbage + "\n[parameters]\nverbose");

    const ProgramRun run = sandbox.run("");
    EXPECT_EQ(run.exitCode, 0u);
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(run.boxes[0].text, installSummary(1, "Top50\n"));
}

TEST(InstallerFlow, VerboseSetsTheConsoleTraceOnly)
{
    InstallerSandbox sandbox;
    sandbox.addProduct("Lonely");
    const ProgramRun quiet = sandbox.run("");
    // Only the library's own singleton notices reach standard output without --verbose.
    EXPECT_EQ(quiet.output.find(" key "), std::string::npos) << quiet.output;
    EXPECT_EQ(quiet.output.substr(0, 18), "::init singleton\r\n");
    const ProgramRun verbose = sandbox.run("--verbose 2");
    EXPECT_NE(verbose.output.find(" key  0 \"" + sandbox.baseKey() + "\\Lonely\""), std::string::npos) << verbose.output;
    // The log file gets every line either way.
    const std::vector<std::string> lines = sandbox.logLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), " key  0 \"" + sandbox.baseKey() + "\\Lonely\""), 2);
}

// A log server whose address never answers: its listener's queue is full, so further connection
// attempts get no reply at all. The installer gives up on it soon and logs to its file.
TEST(InstallerFlow, LogServerThatNeverAnswersDoesNotHoldTheRun)
{
    WSADATA data;
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
    strell::unique_socket listener(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    ASSERT_EQ(bind(listener.get(), reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(listener.get(), 0), 0);
    ASSERT_EQ(getsockname(listener.get(), reinterpret_cast<sockaddr*>(&address), &length), 0);
    std::vector<strell::unique_socket> queued;
    for (int i = 0; i < 3; ++i) {
        queued.emplace_back(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
        u_long nonBlocking = 1;
        ioctlsocket(queued.back().get(), FIONBIO, &nonBlocking);
        connect(queued.back().get(), reinterpret_cast<sockaddr*>(&address), sizeof address);
    }
    Sleep(200);

    InstallerSandbox sandbox;
    const std::string top50 = sandbox.makeInstallation("Top50");
    sandbox.setDestDir("Top50", "A", top50);
    writeFile(sandbox.root() + "\\log.ini", "[client_info]\naddress=127.0.0.1\nport=" +
                                                 std::to_string(ntohs(address.sin_port)) +
                                                 "\n[Logging]\nVerboseLevel=0\n");
    writeFile(sandbox.root() + "\\facility.ini", "[static_section]\nfacility_name=installer\n");

    const ProgramRun run = sandbox.run("");
    queued.clear();
    listener.reset();
    WSACleanup();
    ASSERT_FALSE(run.timedOut);
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(run.boxes[0].text, installSummary(1, "Top50\n"));
    EXPECT_NE(readFile(sandbox.root() + "\\strell.log").find(") - failed: 10060!"), std::string::npos)
        << readFile(sandbox.root() + "\\strell.log");
    EXPECT_EQ(runLines(sandbox).size(), 4u); // key, sub, signature and copy reached the file
}

// The product as a 32-bit map product's own setup leaves it: its key in the 32-bit view of the machine's
// registry, its folder below the 32-bit programs' Program Files (on 64-bit Windows "Program Files (x86)").
TEST(InstallerFlow, DefaultBaseKeyIsTheMakersKeyOfTheMachine)
{
    InstallerSandbox sandbox;
    const std::string product = "QuovanTestProduct" + std::to_string(GetCurrentProcessId());
    char programFiles[MAX_PATH] = {};
    ASSERT_GT(GetEnvironmentVariableA("ProgramFiles", programFiles, MAX_PATH), 0u);
    const std::string top50 = std::string(programFiles) + "\\" + product;
    removeTree(top50);
    for (const std::string& folder : {top50, top50 + "\\bin", InstallerSandbox::pluginFolder(top50)})
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder;
    const std::string key = "SOFTWARE\\EADS Deutschland GmbH\\" + product + "\\" + forwardSlashes(top50);
    // The view of the installer's own bitness (the 64-bit test build reads the 64-bit one).
    const REGSAM view = sizeof(void*) == 4 ? KEY_WOW64_32KEY : 0;
    strell::unique_hkey handle;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr,
                              handle.put(), nullptr),
              ERROR_SUCCESS);
    handle.reset();
    const bool wow64 = runsUnderWow64();
    if (wow64) {
        EXPECT_NE(top50.find("Program Files (x86)"), std::string::npos) << top50;
        EXPECT_NE(RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, handle.put()),
                  ERROR_SUCCESS);
    }

    const ProgramRun run = sandbox.run("--basekey \"HKLM\\SOFTWARE\\EADS Deutschland GmbH\"");
    const ProgramRun byDefault = sandbox.runPlain("");
    // Deleted in the view of this test's bitness, the one it was written to.
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, key.c_str());
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, ("SOFTWARE\\EADS Deutschland GmbH\\" + product).c_str());

    for (const ProgramRun* r : {&run, &byDefault}) {
        EXPECT_EQ(r->exitCode, 0u);
        ASSERT_EQ(r->boxes.size(), 1u);
        EXPECT_NE(r->boxes[0].text.find(product + "\n"), std::string::npos) << r->boxes[0].text;
    }
    EXPECT_EQ(readFile(InstallerSandbox::pluginFile(top50)), kPluginContent);
    removeTree(top50);
}
