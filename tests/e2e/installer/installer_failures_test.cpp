// Failed installations: the boxes in their order, the mail offer and what the mail system receives,
// files that must stay as they were, and running map applications.

#include "installer_sandbox.h"

#include "folder_contents.h"

#include "helper_process.h"
#include "win32_handles.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace installertest;
using namespace testsupport;

namespace {

const char kSupport[] = "support@telvor.de";
const char kOffice[] = "office@telvor.de";

std::string failureBoxStart(const std::string& product)
{
    return "Die Installation des Plugins für \"" + product +
           "\" ist fehlgeschlagen!\nBitte stellen Sie sicher, dass das Programm nicht gerade läuft!\n\n";
}

std::string mailQuestion(const InstallerSandbox& sandbox)
{
    return "Während der Installation des Plugins sind Fehler aufgetreten.\n\nDas Fehlerprotokoll befindet sich in der "
           "folgenden Datei:\n\n" +
           sandbox.logPath() + "\n\nWollen Sie das Fehlerprotokoll and " + kSupport + " schicken?";
}

// Two installations, the plug-in file missing next to the installer: both fail.
struct MissingPlugin {
    InstallerSandbox sandbox{false};
    std::string top50 = sandbox.makeInstallation("Top50");
    std::string amap = sandbox.makeInstallation("AMap");
    MissingPlugin()
    {
        sandbox.setDestDir("Austrian Map", "A", amap);
        sandbox.setDestDir("Top50", "T", top50);
    }
};

std::string mapiDouble()
{
    return winPath(MAPI_DOUBLE_DLL);
}

} // namespace

TEST(InstallerFailures, MissingPluginFailsEveryInstallationAndOffersTheMail)
{
    MissingPlugin world;
    const ProgramRun run = world.sandbox.run("", {IDOK, IDOK, IDOK, IDNO});
    EXPECT_EQ(run.exitCode, 0u);
    ASSERT_EQ(run.boxes.size(), 4u);

    const std::string source = world.sandbox.installerFolder() + "\\quovan.dll";
    const std::string reason = "Plugin datei konnte nicht gefunden werden \"" + source + "\"! [\"./src/deployment:";
    const char* products[] = {"Austrian Map", "Top50"};
    for (int i = 0; i < 2; ++i) {
        const MessageBoxInfo& box = run.boxes[i];
        EXPECT_EQ(box.caption, "Fehler");
        EXPECT_TRUE(box.hasIcon);
        EXPECT_EQ(box.buttonText(), "OK");
        const std::string start = failureBoxStart(products[i]) + reason;
        EXPECT_EQ(box.text.substr(0, start.size()), start);
        EXPECT_EQ(box.text.substr(box.text.size() - 10), ":WinMain\"]");
    }
    EXPECT_EQ(run.boxes[2].caption, "Information");
    EXPECT_EQ(run.boxes[2].text,
              "Die Quovan Schnittstelle wurde für 0 installierte(s) Programm(e) installiert!\n\n\n\nBei 2 installierten "
              "Programm(en) ist die Installation des Plugins fehlgeschlagen:\n\nAustrian Map\nTop50\n");
    EXPECT_EQ(run.boxes[3].caption, "Frage");
    EXPECT_EQ(run.boxes[3].buttonText(), "Yes/No");
    EXPECT_TRUE(run.boxes[3].hasIcon);
    EXPECT_EQ(run.boxes[3].text, mailQuestion(world.sandbox));

    // Each failure is in the log with its text.
    const std::vector<std::string> lines = world.sandbox.logLines();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [&](const std::string& l) {
                                return l.rfind("ERROR::(quovan_plugin_dist.exe) Plugin datei konnte nicht gefunden werden", 0) == 0;
                            }),
              2);
    EXPECT_FALSE(exists(InstallerSandbox::pluginFile(world.top50)));
}

TEST(InstallerFailures, MailCarriesTheClosedLogFile)
{
    MissingPlugin world;
    const SystemMailLibrary mail(mapiDouble());
    const std::string record = world.sandbox.root() + "\\mail.txt";

    const ProgramRun run = world.sandbox.run("", {IDOK, IDOK, IDOK, IDYES}, "QUOVAN_MAPI_RECORD=" + record);
    EXPECT_EQ(run.exitCode, 0u);
    ASSERT_EQ(run.boxes.size(), 4u); // no "failed" box after a successful hand-over

    const std::string expected =
        "MAPISendMail session=0 ui=0 flags=0 reserved=0\n"
        "reserved=0\n"
        "subject=\"Quovan Desktop Fehlerdatei\"\n"
        "note=\"\"\n"
        "message_type=(null)\n"
        "date=(null)\n"
        "conversation=(null)\n"
        "flags=0\n"
        "originator: class=0 reserved=0 eid_size=0 eid=(null) name=(null) address=\"" + std::string(kOffice) + "\"\n"
        "recipients=1\n"
        "recipient[0]: class=1 reserved=0 eid_size=0 eid=(null) name=(null) address=\"" + kSupport + "\"\n"
        "files=1 list=set\n"
        "file[0]: reserved=0 flags=0 position=-1 path=\"" + world.sandbox.logPath() +
        "\" name=(null) type=(null) exclusive_open=ok\n"
        "end\n";
    EXPECT_EQ(readFile(record), expected);
}

TEST(InstallerFailures, RefusedOrMissingMailShowsWhereTheLogIs)
{
    const std::string failedText = [] {
        return std::string("Senden des Fehlerprotokolls fehlgeschlagen!\n\nWenn Sie das Protokoll manuell versenden "
                           "wollen, es befindet sich in der folgenden Datei:\n\n");
    }();
    for (const char* situation : {"refused", "no library", "no entry"}) {
        MissingPlugin world;
        std::string library;
        std::string environment;
        if (std::string(situation) == "refused") {
            library = mapiDouble();
            environment = "QUOVAN_MAPI_RESULT=3"; // MAPI_E_LOGIN_FAILURE
        } else if (std::string(situation) == "no entry") {
            library = winPath(MAPI_WITHOUT_ENTRY_DLL);
        }
        const SystemMailLibrary mail(library);
        const ProgramRun run = world.sandbox.run("", {IDOK, IDOK, IDOK, IDYES}, environment);
        EXPECT_EQ(run.exitCode, 0u) << situation;
        ASSERT_EQ(run.boxes.size(), 5u) << situation;
        EXPECT_EQ(run.boxes[4].caption, "Fehler");
        EXPECT_TRUE(run.boxes[4].hasIcon);
        EXPECT_EQ(run.boxes[4].text, failedText + world.sandbox.logPath()) << situation;
        // The log goes on after it was closed for the mail.
        EXPECT_NE(world.sandbox.logText().find("Plugin datei"), std::string::npos);
    }
}

// A MAPI32.DLL beside the installer (in a download folder, say) would run with administrator rights.
TEST(InstallerFailures, MailLibraryBesideTheInstallerIsNeverLoaded)
{
    for (const bool inSystemFolder : {true, false}) {
        MissingPlugin world;
        const SystemMailLibrary mail(inSystemFolder ? mapiDouble() : std::string());
        CopyFileA(mapiDouble().c_str(), (world.sandbox.installerFolder() + "\\MAPI32.DLL").c_str(), FALSE);
        const std::string loads = world.sandbox.root() + "\\loads.txt";
        const std::string record = world.sandbox.root() + "\\mail.txt";

        const ProgramRun run = world.sandbox.run("", {IDOK, IDOK, IDOK, IDYES},
                                                 "QUOVAN_MAPI_LOADS=" + loads + "\nQUOVAN_MAPI_RECORD=" + record);
        EXPECT_EQ(run.exitCode, 0u) << inSystemFolder;
        if (inSystemFolder) {
            // Once, from the system folder; Windows names a module as it was asked for, in any case.
            EXPECT_EQ(_stricmp(readFile(loads).c_str(), (mail.path() + "\n").c_str()), 0) << readFile(loads);
            EXPECT_EQ(run.boxes.size(), 4u);
            EXPECT_NE(readFile(record).find("MAPISendMail"), std::string::npos);
        } else {
            EXPECT_FALSE(exists(loads));
            EXPECT_FALSE(exists(record));
            ASSERT_EQ(run.boxes.size(), 5u);
            EXPECT_EQ(run.boxes[4].text.rfind("Senden des Fehlerprotokolls fehlgeschlagen!", 0), 0u);
        }
    }
}

TEST(InstallerFailures, LockedPluginFileStaysAsItWas)
{
    InstallerSandbox sandbox;
    const std::string top50 = sandbox.makeInstallation("Top50");
    const std::string amap = sandbox.makeInstallation("AMap");
    sandbox.setDestDir("Austrian Map", "A", amap);
    sandbox.setDestDir("Top50", "T", top50);
    const std::string locked = InstallerSandbox::pluginFile(top50);
    writeFile(locked, "running build");
    // The map application holds its plug-in open.
    strell::unique_hfile holder(CreateFileA(locked.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                            nullptr));
    ASSERT_NE(holder.get(), INVALID_HANDLE_VALUE);

    const ProgramRun run = sandbox.run("", {IDOK, IDOK, IDNO});
    holder.reset();
    ASSERT_EQ(run.boxes.size(), 3u);
    EXPECT_EQ(run.boxes[0].text.substr(0, failureBoxStart("Top50").size()), failureBoxStart("Top50"));
    EXPECT_EQ(run.boxes[1].text,
              "Die Quovan Schnittstelle wurde für 1 installierte(s) Programm(e) installiert!\n\nAustrian Map\n\n\nBei 1 "
              "installierten Programm(en) ist die Installation des Plugins fehlgeschlagen:\n\nTop50\n");
    EXPECT_EQ(run.boxes[2].caption, "Frage");
    EXPECT_EQ(readFile(locked), "running build");
    EXPECT_EQ(readFile(InstallerSandbox::pluginFile(amap)), kPluginContent);
    // Nothing half-copied stays behind.
    EXPECT_EQ(folderContents(InstallerSandbox::pluginFolder(top50)).size(), 1u);
}

TEST(InstallerFailures, NoWriteAccessWarnsBeforeTheFailure)
{
    InstallerSandbox sandbox;
    const std::string top50 = sandbox.makeInstallation("Top50");
    sandbox.setDestDir("Top50", "T", top50);
    // Neither the write test nor the plug-in file can be created where folders of their names stand.
    CreateDirectoryA((InstallerSandbox::pluginFolder(top50) + "\\test.txt").c_str(), nullptr);
    CreateDirectoryA(InstallerSandbox::pluginFile(top50).c_str(), nullptr);

    const ProgramRun install = sandbox.run("", {IDOK, IDOK, IDOK, IDNO});
    ASSERT_EQ(install.boxes.size(), 4u);
    EXPECT_EQ(install.boxes[0].caption, "Fehler");
    EXPECT_TRUE(install.boxes[0].hasIcon);
    const std::string plugIn = InstallerSandbox::pluginFolder(top50);
    EXPECT_EQ(install.boxes[0].text,
              "Schreiben in das Plugin Verzeichnis von Top50 fehlgeschlagen!\n(" + plugIn +
                  ")\n\nMöglicherweise haben Sie keine Schreibrechte für dieses Verzeichnis.\n\nBitte melden Sie sich "
                  "als Admministrator an, oder prüfen Sie die Schreibrechte auf das Verzeichnis.");
    EXPECT_EQ(install.boxes[1].text.substr(0, failureBoxStart("Top50").size()), failureBoxStart("Top50"));
    EXPECT_EQ(install.boxes[3].caption, "Frage");

    // Remove mode: the same warning, then only the log knows.
    const ProgramRun remove = sandbox.run("--remove");
    ASSERT_EQ(remove.boxes.size(), 2u);
    EXPECT_EQ(remove.boxes[0].text, install.boxes[0].text);
    EXPECT_EQ(remove.boxes[1].caption, "Information");
    const std::vector<std::string> lines = sandbox.logLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "        no write access to : '" + plugIn + "'"), 2);
}

TEST(InstallerFailures, WriteTestLeavesNothingBehind)
{
    InstallerSandbox sandbox;
    const std::string top50 = sandbox.makeInstallation("Top50");
    sandbox.setDestDir("Top50", "T", top50);
    writeFile(InstallerSandbox::pluginFolder(top50) + "\\test.txt", "someone else's file");
    const ProgramRun run = sandbox.run("");
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_FALSE(exists(InstallerSandbox::pluginFolder(top50) + "\\test.txt"));
}

TEST(InstallerFailures, RunningMapApplicationAsksFirst)
{
    InstallerSandbox sandbox;
    const std::string top50 = sandbox.makeInstallation("Top50");
    sandbox.setDestDir("Top50", "T", top50);
    const std::string program = sandbox.root() + "\\Geogrid\\d2vexcrd.exe";
    CreateDirectoryA((sandbox.root() + "\\Geogrid").c_str(), nullptr);
    ASSERT_TRUE(CopyFileA(winPath(PROCS_HELPER_EXE).c_str(), program.c_str(), FALSE));
    procstest::HelperOptions options;
    options.program = program;
    options.commandLine = quoteArgument(program) + " /map Top50";
    procstest::HelperProcess running(options);

    const std::string question =
        "Es wurden laufende Geogrid Applikation gefunden!\nBitte beenden Sie alle Top50, Austrian Map, ... und starten "
        "Sie die Installation dann erneut.\n\nLaufende Applikationen:\n\n\t>> " +
        program + "\n\n\nWollsen Sie die Installation abbrechen?";

    const ProgramRun cancelled = sandbox.run("", {IDYES});
    EXPECT_EQ(cancelled.exitCode, 1u);
    ASSERT_EQ(cancelled.boxes.size(), 1u);
    EXPECT_EQ(cancelled.boxes[0].caption, "Quovan - Geogrid Plugin Installation");
    EXPECT_EQ(cancelled.boxes[0].buttonText(), "Yes/No");
    EXPECT_TRUE(cancelled.boxes[0].hasIcon);
    EXPECT_EQ(cancelled.boxes[0].text, question);
    EXPECT_FALSE(exists(InstallerSandbox::pluginFile(top50)));
    const std::vector<std::string> lines = sandbox.logLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), " Running Geogrid Process \"" + program + "\""), lines.end());

    // Nobody can be asked in silent mode: nothing changes, and the exit code says why.
    const ProgramRun silent = sandbox.run("--silent");
    EXPECT_EQ(silent.exitCode, 3u);
    EXPECT_TRUE(silent.boxes.empty());
    EXPECT_FALSE(exists(InstallerSandbox::pluginFile(top50)));

    const ProgramRun continued = sandbox.run("", {IDNO, IDOK});
    EXPECT_EQ(continued.exitCode, 0u);
    ASSERT_EQ(continued.boxes.size(), 2u);
    EXPECT_EQ(continued.boxes[1].caption, "Information");
    EXPECT_EQ(readFile(InstallerSandbox::pluginFile(top50)), kPluginContent);
}
