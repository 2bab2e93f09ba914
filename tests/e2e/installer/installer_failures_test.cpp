// Failed installations: the boxes in their order, the mail offer and what the mail system receives,
// files that must stay as they were, and running map applications.

#include "installer_sandbox.h"

#include "cross_bitness.h"
#include "folder_contents.h"

#include "ansi_path.h"
#include "helper_process.h"
#include "strell_process.h"
#include "stringex.h"
#include "win32_handles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>

using namespace installertest;
using namespace testsupport;

namespace {

const char kSupport[] = "support@telvor.de";
const char kOffice[] = "office@telvor.de";
// The mail wait of the runs whose mail never returns.
const char kMailWaitSeconds[] = "5";

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

// Two installations, Top50 holding an older copy, and this plug-in file beside the installer.
struct OldCopyAndPlugin {
    InstallerSandbox sandbox;
    std::string top50 = sandbox.makeInstallation("Top50");
    std::string amap = sandbox.makeInstallation("AMap");
    std::string source = sandbox.installerFolder() + "\\quovan.dll";
    explicit OldCopyAndPlugin(const std::string& plugin)
    {
        sandbox.setDestDir("Top50", "T", top50);
        sandbox.setDestDir("Austrian Map", "A", amap);
        writeFile(InstallerSandbox::pluginFile(top50), "working build");
        writeFile(source, plugin);
    }
    // Whether the old copy stayed byte for byte and nothing came in its place.
    bool unchanged() const
    {
        return readFile(InstallerSandbox::pluginFile(top50)) == "working build" &&
               !exists(InstallerSandbox::pluginFile(amap));
    }
};

std::string mapiDouble()
{
    return winPath(MAPI_DOUBLE_DLL);
}

// An installation whose plug-in folder path has the given length, made and removed through the wide
// functions, which take a path of any length.
class LongInstallation {
public:
    LongInstallation(const InstallerSandbox& sandbox, size_t pluginFolderLength)
    {
        const size_t nameLength = pluginFolderLength - sandbox.root().size() - 1 - std::strlen("\\bin\\PlugIn");
        m_Folder = sandbox.root() + "\\" + std::string(nameLength, 'L');
        for (const std::string& folder : {m_Folder, m_Folder + "\\bin", pluginFolder()})
            if (!CreateDirectoryW(longPath(folder).c_str(), nullptr))
                throw std::runtime_error("cannot create " + folder);
    }
    ~LongInstallation()
    {
        DeleteFileW(longPath(InstallerSandbox::pluginFile(m_Folder)).c_str());
        for (const std::string& folder : {pluginFolder(), m_Folder + "\\bin", m_Folder})
            RemoveDirectoryW(longPath(folder).c_str());
    }
    const std::string& folder() const { return m_Folder; }
    std::string pluginFolder() const { return InstallerSandbox::pluginFolder(m_Folder); }
    bool hasPlugin() const
    {
        return GetFileAttributesW(longPath(InstallerSandbox::pluginFile(m_Folder)).c_str()) != INVALID_FILE_ATTRIBUTES;
    }

private:
    static std::wstring longPath(const std::string& path) { return L"\\\\?\\" + strell::toWideText(path); }
    std::string m_Folder;
};

// Whether a process of this program file runs (the mail child of an installer copy, say).
bool programRuns(const std::string& program)
{
    strell::ProcessIdList ids;
    strell::getProcessIds(ids);
    strell::ProcessInfoList processes;
    strell::getProcessExeList(ids, processes);
    return std::any_of(processes.begin(), processes.end(), [&](const strell::ProcessInfo& p) {
        return _stricmp(p.ExeModuleInfo.FullPathName.c_str(), program.c_str()) == 0;
    });
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
    // A mail library that faults in any of the ways C++ cannot catch, or never returns, ends in the same
    // box, and no mail process stays behind. The wait for a mail that never returns is shortened.
    for (const std::string situation : {"refused", "no library", "no entry", "access", "raise", "stack", "block"}) {
        MissingPlugin world;
        const std::string record = world.sandbox.root() + "\\mail.txt";
        std::string library = mapiDouble();
        std::string environment = "QUOVAN_MAPI_RECORD=" + record + "\nQUOVAN_MAPI_FAULT=" + situation +
                                  "\nQUOVAN_MAIL_WAIT_SECONDS=" + kMailWaitSeconds;
        if (situation == "refused")
            environment += "\nQUOVAN_MAPI_RESULT=3"; // MAPI_E_LOGIN_FAILURE
        else if (situation == "no library")
            library.clear();
        else if (situation == "no entry")
            library = winPath(MAPI_WITHOUT_ENTRY_DLL);
        const SystemMailLibrary mail(library);
        const ProgramRun run = world.sandbox.run("", {IDOK, IDOK, IDOK, IDYES}, environment);
        ASSERT_FALSE(run.timedOut) << situation;
        EXPECT_EQ(run.exitCode, 0u) << situation;
        ASSERT_EQ(run.boxes.size(), 5u) << situation;
        EXPECT_EQ(run.boxes[4].caption, "Fehler");
        EXPECT_TRUE(run.boxes[4].hasIcon);
        EXPECT_EQ(run.boxes[4].text, failedText + world.sandbox.logPath()) << situation;
        // The faulting library was really called.
        EXPECT_EQ(exists(record), library == mapiDouble()) << situation;
        // The log goes on after it was closed for the mail.
        EXPECT_NE(world.sandbox.logText().find("Plugin datei"), std::string::npos);
        EXPECT_FALSE(programRuns(world.sandbox.installerPath())) << situation;
        if (situation == "block") {
            EXPECT_NE(world.sandbox.logText().find("Mail process did not end within " + std::string(kMailWaitSeconds) +
                                                   " s and was ended"),
                      std::string::npos)
                << world.sandbox.logText();
        }
    }
}

// Only the installer itself starts its mail process: whoever types the internal switch, with a file or
// without, gets the error of any unknown option, and nothing is mailed.
TEST(InstallerFailures, InternalMailSwitchIsAnUnknownOptionToAUser)
{
    MissingPlugin world;
    const SystemMailLibrary mail(mapiDouble());
    const std::string record = world.sandbox.root() + "\\mail.txt";
    const std::string secret = world.sandbox.root() + "\\secret.txt";
    writeFile(secret, "not for mailing");
    for (const std::string& arguments :
         {"--quovan-internal-send-report " + quoteArgument(secret), std::string("--quovan-internal-send-report"),
          std::string("--quovan-internal-send-report 4"),
          "--quovan-internal-send-report " + quoteArgument(world.sandbox.logPath())}) {
        const ProgramRun run = world.sandbox.runPlain(arguments, {}, "QUOVAN_MAPI_RECORD=" + record);
        EXPECT_EQ(run.exitCode, 1u) << arguments;
        ASSERT_EQ(run.boxes.size(), 1u) << arguments;
        EXPECT_EQ(run.boxes[0].caption, "Fehler");
        EXPECT_EQ(run.boxes[0].text, "Unexpected argument found: --quovan-internal-send-report");
    }
    EXPECT_FALSE(exists(record)) << readFile(record);
}

// A MAPI32.DLL beside the installer (in a download folder, say) would run with administrator rights.
// On 64-bit Windows the installer's system folder is the 32-bit one: one in the 64-bit system folder
// is never loaded either, and without a 32-bit mail system the mail fails as it does without any.
TEST(InstallerFailures, MailLibraryBesideTheInstallerIsNeverLoaded)
{
    for (const bool inSystemFolder : {true, false}) {
        MissingPlugin world;
        const SystemMailLibrary mail(inSystemFolder ? mapiDouble() : std::string());
        std::unique_ptr<SystemMailLibrary> native;
        if (runsUnderWow64())
            native = std::make_unique<SystemMailLibrary>(mapiDouble(), nativeSystemFolder());
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
    // The system's own words for the cause.
    EXPECT_NE(run.boxes[0].text.find(strell::getWin32ErrorText(ERROR_SHARING_VIOLATION)), std::string::npos)
        << run.boxes[0].text;
    EXPECT_EQ(readFile(locked), "running build");
    EXPECT_EQ(readFile(InstallerSandbox::pluginFile(amap)), kPluginContent);
    // Nothing half-copied stays behind.
    EXPECT_EQ(folderContents(InstallerSandbox::pluginFolder(top50)).size(), 1u);
}

// A plug-in folder on read-only media: the warning comes first, then the failure with the system's cause.
TEST(InstallerFailures, NoWriteAccessWarnsBeforeTheFailure)
{
    const ReadOnlyFolder media = readOnlyFolder();
    if (media.readOnly.empty())
        GTEST_SKIP() << "no read-only file system mounted for this run";
    InstallerSandbox sandbox;
    for (const char* folder : {"\\Top50", "\\Top50\\bin", "\\Top50\\bin\\PlugIn"})
        CreateDirectoryA((media.writable + folder).c_str(), nullptr);
    const std::string top50 = media.readOnly + "\\Top50";
    sandbox.setDestDir("Top50", "T", top50);

    const ProgramRun install = sandbox.run("", {IDOK, IDOK, IDOK, IDNO});
    ASSERT_EQ(install.boxes.size(), 4u) << (install.boxes.empty() ? std::string() : install.boxes.back().text);
    EXPECT_EQ(install.boxes[0].caption, "Fehler");
    EXPECT_TRUE(install.boxes[0].hasIcon);
    const std::string plugIn = InstallerSandbox::pluginFolder(top50);
    EXPECT_EQ(install.boxes[0].text,
              "Schreiben in das Plugin Verzeichnis von Top50 fehlgeschlagen!\n(" + plugIn +
                  ")\n\nMöglicherweise haben Sie keine Schreibrechte für dieses Verzeichnis.\n\nBitte melden Sie sich "
                  "als Admministrator an, oder prüfen Sie die Schreibrechte auf das Verzeichnis.");
    EXPECT_EQ(install.boxes[1].text.substr(0, failureBoxStart("Top50").size()), failureBoxStart("Top50"));
    EXPECT_NE(install.boxes[1].text.find(strell::getWin32ErrorText(ERROR_ACCESS_DENIED)), std::string::npos)
        << install.boxes[1].text;
    EXPECT_EQ(install.boxes[3].caption, "Frage");

    // Remove mode: the same warning, then the failed deletion in the summary.
    writeFile(InstallerSandbox::pluginFile(media.writable + "\\Top50"), "installed");
    const ProgramRun remove = sandbox.run("--remove");
    ASSERT_EQ(remove.boxes.size(), 2u);
    EXPECT_EQ(remove.boxes[0].text, install.boxes[0].text);
    EXPECT_EQ(remove.boxes[1].text, "Die Quovan Schnittstelle wurde aus 0 installierten Programm(en) entfernt!\n\n\n\nBei "
                                    "1 installierten Programm(en) ist das Entfernen des Plugins fehlgeschlagen:\n\nTop50\n");
    EXPECT_EQ(readFile(InstallerSandbox::pluginFile(top50)), "installed");
    const std::vector<std::string> lines = sandbox.logLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "        no write access to : '" + plugIn + "'"), 2);
}

// A full disk: the box names the cause, and the old plug-in stays whole.
TEST(InstallerFailures, FullDiskNamesTheCauseAndKeepsTheOldPlugin)
{
    const std::string disk = fullDiskFolder();
    if (disk.empty())
        GTEST_SKIP() << "no full file system mounted for this run";
    InstallerSandbox sandbox;
    const std::string top50 = disk + "\\Top50";
    for (const std::string& folder : {top50, top50 + "\\bin", InstallerSandbox::pluginFolder(top50)})
        CreateDirectoryA(folder.c_str(), nullptr);
    writeFile(InstallerSandbox::pluginFile(top50), "working build");
    sandbox.setDestDir("Top50", "T", top50);
    writeFile(sandbox.installerFolder() + "\\quovan.dll", pluginImage(std::string(256 * 1024, 'p')));

    const ProgramRun run = sandbox.run("", {IDOK, IDOK, IDNO});
    ASSERT_EQ(run.boxes.size(), 3u);
    EXPECT_EQ(run.boxes[0].text.substr(0, failureBoxStart("Top50").size()), failureBoxStart("Top50"));
    EXPECT_NE(run.boxes[0].text.find(strell::getWin32ErrorText(ERROR_DISK_FULL)), std::string::npos)
        << run.boxes[0].text;
    EXPECT_EQ(readFile(InstallerSandbox::pluginFile(top50)), "working build");
    EXPECT_EQ(folderContents(InstallerSandbox::pluginFolder(top50)), std::vector<std::string>{"quovan.dll"});
}

// The write test works with a file of its own: a "test.txt" of someone else's, even held open, stays.
TEST(InstallerFailures, WriteTestNeverTouchesAnotherFile)
{
    InstallerSandbox sandbox;
    const std::string top50 = sandbox.makeInstallation("Top50");
    sandbox.setDestDir("Top50", "T", top50);
    const std::string foreign = InstallerSandbox::pluginFolder(top50) + "\\test.txt";
    writeFile(foreign, "someone else's file");
    strell::unique_hfile holder(CreateFileA(foreign.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder);

    const ProgramRun run = sandbox.run("");
    holder.reset();
    EXPECT_EQ(run.exitCode, 0u);
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(run.boxes[0].caption, "Information");
    EXPECT_EQ(readFile(foreign), "someone else's file");
    EXPECT_EQ(folderContents(InstallerSandbox::pluginFolder(top50)),
              (std::vector<std::string>{"quovan.dll", "test.txt"}));
}

// A plug-in file that is no complete DLL of the installer's kind, or cannot be read, replaces nothing.
TEST(InstallerFailures, DamagedOrUnreadablePluginFileReplacesNothing)
{
    const std::string image = pluginImage("a plug-in of the right kind");
    const std::pair<const char*, std::string> damaged[] = {
        {"empty", ""},
        {"truncated", image.substr(0, image.size() - 4)},
        {"other bitness", pluginImage("a plug-in of the wrong kind", kForeignMachine)},
        {"text", "MZ is all there is"},
        {"held open", image},
    };
    for (const auto& c : damaged) {
        const OldCopyAndPlugin world(c.second);
        const InstallerSandbox& sandbox = world.sandbox;
        const std::string& source = world.source;
        const bool heldOpen = std::string(c.first) == "held open";
        strell::unique_hfile holder;
        if (heldOpen)
            holder.reset(CreateFileA(source.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));

        const ProgramRun run = sandbox.run("", {IDOK, IDOK, IDOK, IDNO});
        holder.reset();
        EXPECT_EQ(run.exitCode, 0u) << c.first;
        ASSERT_EQ(run.boxes.size(), 4u) << c.first;
        const std::string reason = heldOpen ? "Plugin datei konnte nicht gelesen werden \"" + source + "\"! "
                                            : "Plugin datei ist beschädigt oder keine " + std::string(kPluginKind) +
                                                  " \"" + source + "\"! [\"./src/deployment:";
        for (int i = 0; i < 2; ++i) {
            const std::string start = failureBoxStart(i == 0 ? "Austrian Map" : "Top50") + reason;
            EXPECT_EQ(run.boxes[i].text.substr(0, start.size()), start) << c.first << "\n" << run.boxes[i].text;
        }
        if (heldOpen) {
            EXPECT_NE(run.boxes[0].text.find(strell::getWin32ErrorText(ERROR_SHARING_VIOLATION)), std::string::npos);
        }
        EXPECT_NE(run.boxes[2].text.find("Bei 2 installierten Programm(en)"), std::string::npos) << c.first;
        EXPECT_TRUE(world.unchanged()) << c.first;
    }
}

namespace {

// The certificate table's place in a DLL of the installer's own kind: the offset of its directory entry,
// and the table's offset and size.
struct CertificateTable {
    size_t entry;
    DWORD offset;
    DWORD size;
};
CertificateTable certificateTable(const std::string& image)
{
    const size_t nt = static_cast<size_t>(get<LONG>(image, offsetof(IMAGE_DOS_HEADER, e_lfanew)));
    const size_t entry = nt + offsetof(IMAGE_NT_HEADERS, OptionalHeader.DataDirectory) +
                         IMAGE_DIRECTORY_ENTRY_SECURITY * sizeof(IMAGE_DATA_DIRECTORY);
    return {entry, get<DWORD>(image, entry), get<DWORD>(image, entry + 4)};
}

// One byte of the first section's data changed: the file is still complete, its digest no longer fits.
std::string withChangedCode(std::string image)
{
    const size_t nt = static_cast<size_t>(get<LONG>(image, offsetof(IMAGE_DOS_HEADER, e_lfanew)));
    const size_t sections = nt + offsetof(IMAGE_NT_HEADERS, OptionalHeader) +
                            get<WORD>(image, nt + offsetof(IMAGE_NT_HEADERS, FileHeader.SizeOfOptionalHeader));
    image[get<DWORD>(image, sections + offsetof(IMAGE_SECTION_HEADER, PointerToRawData)) + 16] ^= 0x01;
    return image;
}

// Silent runs with two installations, one holding an older copy: the plug-in is installed into both, or
// refused for both with the old copy left byte for byte.
struct SignatureCase {
    std::string name;
    std::string plugin;
    bool installed;
    std::string logged; // a line of the log that tells why
    std::string shown;  // the start of the failure's text, when refused
};
void expectSignatureOutcome(const std::string& installer, const SignatureCase& c)
{
    const OldCopyAndPlugin world(c.plugin);
    world.sandbox.useInstaller(installer);
    const ProgramRun run = world.sandbox.run("--silent");
    const std::string log = world.sandbox.logText();
    const std::string where = c.name + " by " + installer + "\n" + log;
    EXPECT_NE(log.find(c.logged), std::string::npos) << where;
    if (c.installed) {
        EXPECT_EQ(run.exitCode, 0u) << where;
        EXPECT_EQ(readFile(InstallerSandbox::pluginFile(world.top50)), c.plugin) << where;
        EXPECT_EQ(readFile(InstallerSandbox::pluginFile(world.amap)), c.plugin) << where;
        return;
    }
    EXPECT_EQ(run.exitCode, 2u) << where;
    EXPECT_NE(log.find(c.shown + world.source), std::string::npos) << where;
    EXPECT_TRUE(world.unchanged()) << where;
}

} // namespace

// A signed installer installs only a plug-in with an intact signature of its own certificate; an
// unsigned one (development builds) skips that check. A broken certificate table is damage to both.
TEST(InstallerFailures, PluginNotSignedByThePublisherReplacesNothing)
{
    const std::string same = readFile(signedFile("same.dll"));
    const std::string notFromPublisher = "Plugin datei ist nicht vom Herausgeber des Installationsprogramms signiert \"";
    const std::string damaged = "Plugin datei ist beschädigt oder keine " + std::string(kPluginKind) + " \"";
    const SignatureCase bySigned[] = {
        {"same key", same, true, "signed with the installer's certificate", ""},
        {"unsigned", kPluginContent, false, "WinVerifyTrust 0x800B0100, refused", notFromPublisher},
        {"another key", readFile(signedFile("foreign.dll")), false,
         "signed with another certificate than the installer, refused", notFromPublisher},
        {"one byte changed", withChangedCode(same), false, "WinVerifyTrust 0x80096010, refused", notFromPublisher},
        {"signature removed", readFile(signedFile("removed.dll")), false, "WinVerifyTrust 0x800B0100, refused",
         notFromPublisher},
    };
    for (const SignatureCase& c : bySigned)
        expectSignatureOutcome(signedFile("signed.exe"), c);
    expectSignatureOutcome(signedFile("unsigned.exe"),
                           {"same key", same, true,
                            "signature of the plug-in not checked: the installer itself is unsigned", ""});

    const CertificateTable table = certificateTable(same);
    ASSERT_GT(table.size, 8u);
    std::vector<SignatureCase> broken = {
        {"cut in the signature", same.substr(0, table.offset + table.size / 2), false, "", damaged},
        {"cut in the certificate header", same.substr(0, table.offset + 4), false, "", damaged},
    };
    std::string image = same;
    put<DWORD>(image, table.entry + 4, table.size + 0x100000);
    broken.push_back({"table size 1 MiB past the end", image, false, "", damaged});
    image = same;
    put<DWORD>(image, table.entry, 0xFFFFFFF0);
    broken.push_back({"table offset 0xFFFFFFF0", image, false, "", damaged});
    image = same;
    std::fill(image.begin() + table.offset, image.begin() + table.offset + table.size, '\0');
    broken.push_back({"signature zeroed", image, false, "", damaged});
    for (const SignatureCase& c : broken)
        for (const char* installer : {"signed.exe", "unsigned.exe"})
            expectSignatureOutcome(signedFile(installer), c);
}

// A log that this run could not write is neither offered nor mailed: an old file or a folder of its name
// would be sent in its place.
TEST(InstallerFailures, UnwritableLogIsNeitherOfferedNorMailed)
{
    MissingPlugin world;
    CreateDirectoryA(world.sandbox.logPath().c_str(), nullptr);
    const std::string record = world.sandbox.root() + "\\mail.txt";
    const SystemMailLibrary mail(mapiDouble());

    const ProgramRun run = world.sandbox.run("", {IDOK, IDOK, IDOK, IDYES}, "QUOVAN_MAPI_RECORD=" + record);
    EXPECT_EQ(run.exitCode, 0u);
    ASSERT_EQ(run.boxes.size(), 3u); // no mail question
    EXPECT_EQ(run.boxes[2].text,
              "Die Quovan Schnittstelle wurde für 0 installierte(s) Programm(e) installiert!\n\n\n\nBei 2 installierten "
              "Programm(en) ist die Installation des Plugins fehlgeschlagen:\n\nAustrian Map\nTop50\n\n\nDas "
              "Fehlerprotokoll konnte nicht geschrieben werden:\n\n" +
                  world.sandbox.logPath() + "\n");
    EXPECT_FALSE(exists(record));

    // On read-only media the log of an earlier run is there, but this run's lines are not in it.
    const ReadOnlyFolder media = readOnlyFolder();
    if (media.readOnly.empty())
        GTEST_SKIP() << "no read-only file system mounted for this run";
    CreateDirectoryA((media.writable + "\\dist").c_str(), nullptr);
    ASSERT_TRUE(CopyFileA(world.sandbox.installerPath().c_str(), (media.writable + "\\dist\\quovan_plugin_dist.exe").c_str(),
                          FALSE));
    writeFile(media.writable + "\\dist\\quovan.log", "an earlier run\n");
    const ProgramRun readOnly =
        world.sandbox.runCopy(media.readOnly + "\\dist\\quovan_plugin_dist.exe", "", {IDOK, IDOK, IDOK, IDYES});
    ASSERT_EQ(readOnly.boxes.size(), 3u);
    EXPECT_NE(readOnly.boxes[2].text.find("Das Fehlerprotokoll konnte nicht geschrieben werden:\n\n" + media.readOnly +
                                          "\\dist\\quovan.log\n"),
              std::string::npos)
        << readOnly.boxes[2].text;
    EXPECT_FALSE(exists(record));
}

// A plug-in folder too long for the installer to work in fails with its reason, in the summary too;
// one at the limit is installed without a word of missing rights.
TEST(InstallerFailures, LongPluginFolderFailsWithItsReason)
{
    InstallerSandbox sandbox;
    const LongInstallation atLimit(sandbox, 246);
    const LongInstallation beyond(sandbox, 247);
    const LongInstallation farBeyond(sandbox, 255);
    sandbox.setDestDir("A at the limit", "A", atLimit.folder());
    sandbox.setDestDir("B beyond", "A", beyond.folder());
    sandbox.setDestDir("C far beyond", "A", farBeyond.folder());

    const ProgramRun install = sandbox.run("", {IDOK, IDOK, IDOK, IDNO});
    EXPECT_EQ(install.exitCode, 0u);
    ASSERT_EQ(install.boxes.size(), 4u) << install.boxes[0].describe();
    const LongInstallation* failed[] = {&beyond, &farBeyond};
    const char* products[] = {"B beyond", "C far beyond"};
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(install.boxes[i].text,
                  failureBoxStart(products[i]) + "Der Pfad des Plugin Verzeichnisses ist zu lang (" +
                      std::to_string(failed[i]->pluginFolder().size()) + " Zeichen, höchstens 246): \"" +
                      failed[i]->pluginFolder() + "\"");
    const std::string failures = "B beyond (Pfad zu lang)\nC far beyond (Pfad zu lang)\n";
    EXPECT_EQ(install.boxes[2].text, "Die Quovan Schnittstelle wurde für 1 installierte(s) Programm(e) installiert!\n\n"
                                     "A at the limit\n\n\nBei 2 installierten Programm(en) ist die Installation des "
                                     "Plugins fehlgeschlagen:\n\n" +
                                         failures);
    EXPECT_EQ(install.boxes[3].caption, "Frage");
    EXPECT_TRUE(atLimit.hasPlugin());
    EXPECT_FALSE(beyond.hasPlugin());
    EXPECT_FALSE(farBeyond.hasPlugin());

    const ProgramRun remove = sandbox.run("--remove");
    ASSERT_EQ(remove.boxes.size(), 1u);
    EXPECT_EQ(remove.boxes[0].text, "Die Quovan Schnittstelle wurde aus 1 installierten Programm(en) entfernt!\n\nA at "
                                    "the limit\n\n\nBei 2 installierten Programm(en) ist das Entfernen des Plugins "
                                    "fehlgeschlagen:\n\n" +
                                        failures);
    EXPECT_FALSE(atLimit.hasPlugin());
}

// Every installer run looks for running map applications: this one runs while no other test does.
TEST(InstallerRunningApplication, RunningMapApplicationAsksFirst)
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

    // Nobody can be asked in silent mode: nothing changes, and the exit code and the log say why.
    const ProgramRun silent = sandbox.run("--silent");
    EXPECT_EQ(silent.exitCode, 3u);
    EXPECT_TRUE(silent.boxes.empty());
    EXPECT_FALSE(exists(InstallerSandbox::pluginFile(top50)));
    EXPECT_EQ(sandbox.logLines().back(), "Silent run: map applications are running, nothing changed, exit code 3");

    const ProgramRun continued = sandbox.run("", {IDNO, IDOK});
    EXPECT_EQ(continued.exitCode, 0u);
    ASSERT_EQ(continued.boxes.size(), 2u);
    EXPECT_EQ(continued.boxes[1].caption, "Information");
    EXPECT_EQ(readFile(InstallerSandbox::pluginFile(top50)), kPluginContent);

    // One whose command line cannot be read is known by its image name all the same.
    running.stop();
    options.commandLineLengths = "unreadable";
    procstest::HelperProcess hidden(options);
    const ProgramRun unread = sandbox.run("", {IDYES});
    EXPECT_EQ(unread.exitCode, 1u);
    ASSERT_EQ(unread.boxes.size(), 1u);
    EXPECT_EQ(unread.boxes[0].text, question);
}

// Beside the 32-bit installer on 64-bit Windows a 64-bit process's memory cannot be read: a 64-bit map
// application is known by its image name, and a 64-bit program that only names one on its command line
// is judged by its own image name as well.
TEST(InstallerRunningApplication, SixtyFourBitProcessesAreJudgedByTheirImageName)
{
    if (!runsUnderWow64())
        GTEST_SKIP() << kWow64Only;
    InstallerSandbox sandbox;
    const std::string top50 = sandbox.makeInstallation("Top50");
    sandbox.setDestDir("Top50", "T", top50);
    const std::string program = sandbox.root() + "\\Geogrid\\d2vexcrd.exe";
    CreateDirectoryA((sandbox.root() + "\\Geogrid").c_str(), nullptr);
    ASSERT_TRUE(CopyFileA(desktopDouble64().c_str(), program.c_str(), FALSE));
    {
        const RunningDesktopDouble map(program, "/map Top50");
        const ProgramRun silent = sandbox.run("--silent");
        EXPECT_EQ(silent.exitCode, 3u);
        EXPECT_FALSE(exists(InstallerSandbox::pluginFile(top50)));
        const std::vector<std::string> lines = sandbox.logLines();
        EXPECT_NE(std::find(lines.begin(), lines.end(), " Running Geogrid Process \"" + program + "\""), lines.end())
            << sandbox.logText();
    }
    const RunningDesktopDouble other(desktopDouble64(), "--record " + quoteArgument(sandbox.root() + "\\d2vexcrd.exe.txt"));
    const ProgramRun silent = sandbox.run("--silent");
    EXPECT_EQ(silent.exitCode, 0u) << sandbox.logText();
    EXPECT_EQ(readFile(InstallerSandbox::pluginFile(top50)), kPluginContent);
}
