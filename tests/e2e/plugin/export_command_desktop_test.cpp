// The export command from the simulated host through the plug-in to the desktop double: the questions
// when the desktop program is missing or too old, its version check with restart, starting it from
// the registry, stopping it, the windows it is found by, and the failures of the link.

#include "ansi_path.h"
#include "desktop_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using desktoptest::ExportTest;
using desktoptest::kAreaPart;
using desktoptest::kMarkArea;
using desktoptest::messagesOf;
using plugintest::HostRun;
using Lines = std::vector<std::string>;

const char* const kNotInstalled =
    "Quovan Desktop ist nicht installiert.\n\nDer Quovan Desktop ist erforderlich um Karten auf das Mobiltelefon "
    "zu transferieren.\nDu kannst den Quovan Desktop von \"www.telvor.de/downloads/quovan.msi\" herunterladen\n\n"
    "Download gleich starten?";
const char* const kTooOld =
    "Der installierte Quovan Desktop ist zu alt. Du benötigst mindestens die Version 0.95 oder höher.\n\nDu kannst "
    "dir eine aktuelle Version des Quovan Desktop von \"www.telvor.de/downloads/quovan.msi\" herunterladen\n\n"
    "Download gleich starten?";
const char* const kLinkFailed = "Der Quovan Desktop konnte nicht angesprochen werden.\n\nDie Karten wurden nicht "
                                "exportiert. Bitte versuche es noch einmal.";
const char* const kBusy = "Der Quovan Desktop ist gerade beschäftigt.\n\nDie Karten wurden nicht exportiert. Bitte "
                          "versuche es noch einmal, wenn er bereit ist.";
const char* const kDownloadOpened = "shell open \"http://www.telvor.de/downloads/quovan.msi\" show 1";

const std::string kExportNoMaps = std::string("name=druvexportmapex;;") + kAreaPart;
// What a desktop program that was not running receives: the readiness question of the start, the
// version question, the readiness question of the export and the export.
const Lines kStartedAndExported = {"name=druvidle", "name=druvversion", "name=druvidle", kExportNoMaps};

bool contains(const Lines& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// The first line that holds every one of the parts; lines.size() when there is none.
size_t indexOf(const Lines& lines, std::initializer_list<const char*> parts)
{
    for (size_t i = 0; i < lines.size(); ++i)
        if (std::all_of(parts.begin(), parts.end(),
                        [&](const char* part) { return lines[i].find(part) != std::string::npos; }))
            return i;
    return lines.size();
}

// The state of the menu's area commands after the run's "show menu" step with the occurrence.
std::string exportState(const HostRun& result, int occurrence = 1)
{
    for (const std::string& line : result.step("show menu", occurrence))
        if (line.find("2072 \"&Exportieren\"") != std::string::npos)
            return line.substr(line.rfind(' ') + 1);
    return "missing";
}

TEST_F(ExportTest, NotInstalledAsksAndOpensTheDownloadOnYes)
{
    const HostRun yes = run(std::string(kMarkArea) + "menu 2072\nshow menu\n", {IDYES});
    ASSERT_EQ(1u, yes.boxes.size()) << yes.dump();
    EXPECT_EQ("Information", yes.boxes[0].caption);
    EXPECT_EQ(kNotInstalled, yes.boxes[0].text);
    EXPECT_EQ("Yes/No", yes.boxes[0].buttonText());
    EXPECT_TRUE(yes.has(kDownloadOpened)) << yes.dump();
    EXPECT_TRUE(messagesOf(yes).empty());
    // Nothing else happened: the area is still there.
    EXPECT_EQ("selectable", exportState(yes));

    // Asked before the area is looked at; No opens nothing.
    const HostRun no = run("menu 2072\n", {IDNO});
    ASSERT_EQ(1u, no.boxes.size()) << no.dump();
    EXPECT_EQ(kNotInstalled, no.boxes[0].text);
    EXPECT_TRUE(no.starting("shell ").empty()) << no.dump();
}

TEST_F(ExportTest, EmptyOrUnreadableFolderMeansNotInstalled)
{
    const auto desktop = runDouble("");
    m_Settings.setText("startcommandline", doubleCommand());
    m_Settings.setText("folder", "");
    const HostRun empty = run(std::string(kMarkArea) + "menu 2072\n", {IDNO});
    ASSERT_EQ(1u, empty.boxes.size()) << empty.dump();
    EXPECT_EQ(kNotInstalled, empty.boxes[0].text);

    m_Settings.setBytes("folder", "C:\\Quovan");
    const HostRun binary = run(std::string(kMarkArea) + "menu 2072\n", {IDNO});
    ASSERT_EQ(1u, binary.boxes.size()) << binary.dump();
    EXPECT_EQ(kNotInstalled, binary.boxes[0].text);
    // The running desktop program was never asked.
    EXPECT_TRUE(received().empty());
}

TEST_F(ExportTest, WithoutAreaTheHostSaysSoAndTheDesktopIsNotAsked)
{
    m_Settings.install(doubleCommand());
    const auto desktop = runDouble("");
    // Marking again while an area is complete leaves a new, empty marking: nothing to export.
    const HostRun result = run(std::string(kMarkArea) + "menu 2070\nmenu 2072\n");
    const Lines exported = result.step("menu 2072");
    ASSERT_GE(exported.size(), 4u) << result.dump();
    EXPECT_EQ((Lines{"call Application.ShowMessage(\"No Area selected!\", \"Information\") -> S_OK",
                     "box host [Information] \"No Area selected!\""}),
              Lines(exported.begin() + 2, exported.begin() + 4))
        << result.dump();
    EXPECT_TRUE(result.boxes.empty());
    EXPECT_TRUE(received().empty());
}

TEST_F(ExportTest, TooOldAsksForTheDownloadAndKeepsTheArea)
{
    m_Settings.install(doubleCommand("--version 95", "started.txt"));
    const auto desktop = runDouble("--version 94");
    const HostRun result = run(std::string(kMarkArea) + "menu 2072\nshow menu\n", {IDYES});
    ASSERT_EQ(1u, result.boxes.size()) << result.dump();
    EXPECT_EQ("Information", result.boxes[0].caption);
    EXPECT_EQ(kTooOld, result.boxes[0].text);
    EXPECT_EQ("Yes/No", result.boxes[0].buttonText());
    EXPECT_TRUE(result.has(kDownloadOpened));
    EXPECT_EQ(Lines{"name=druvversion"}, received());
    EXPECT_EQ("selectable", exportState(result));
    EXPECT_FALSE(testsupport::exists(file("started.txt")));
}

TEST_F(ExportTest, NotRunningIsStartedFromTheRegisteredCommandLineThenExported)
{
    m_Settings.install(doubleCommand("--version 95"));
    const HostRun result = run(std::string(kMarkArea) + "menu 2072\n");
    EXPECT_TRUE(result.boxes.empty()) << result.dump();

    const std::vector<desktoptest::Received> record = desktoptest::readRecord(file("record.txt"));
    ASSERT_EQ(5u, record.size()) << result.dump();
    EXPECT_EQ("start", record[0].kind);
    EXPECT_EQ(doubleCommand("--version 95"), record[0].data);
    EXPECT_EQ(kStartedAndExported, received());
    // Byte for byte: the marker, data tag 0, the text with its terminating zero.
    for (size_t i = 1; i < record.size(); ++i) {
        EXPECT_EQ("AABBCCDD", record[i].marker);
        EXPECT_EQ(0u, record[i].tag);
        EXPECT_EQ(record[i].data.size(), record[i].length);
        EXPECT_EQ('\0', record[i].data.back());
    }
    EXPECT_EQ(1, record.back().answer);
}

TEST_F(ExportTest, VersionIsAskedAgainAfterTheRestart)
{
    // The running program does not answer the version question; the one started anew answers 95.
    m_Settings.install(doubleCommand("--version 95", "second.txt"));
    const auto first = runDouble("--version 0", "first.txt");
    const HostRun result = run(std::string(kMarkArea) + "menu 2072\n");
    EXPECT_TRUE(result.boxes.empty()) << result.dump();
    EXPECT_EQ((Lines{"name=druvversion", "name=exit"}), received("first.txt"));
    EXPECT_EQ("end", desktoptest::readRecord(file("first.txt")).back().kind);
    EXPECT_EQ(kStartedAndExported, received("second.txt"));
}

TEST_F(ExportTest, VersionAfterTheRestartStillTooOld)
{
    m_Settings.install(doubleCommand("--version 94", "second.txt"));
    const auto first = runDouble("--version 0", "first.txt");
    const HostRun result = run(std::string(kMarkArea) + "menu 2072\nshow menu\n", {IDNO});
    ASSERT_EQ(1u, result.boxes.size()) << result.dump();
    EXPECT_EQ(kTooOld, result.boxes[0].text);
    EXPECT_TRUE(result.starting("shell ").empty());
    EXPECT_EQ((Lines{"name=druvidle", "name=druvversion"}), received("second.txt"));
    EXPECT_EQ("selectable", exportState(result));
}

TEST_F(ExportTest, DesktopThatCannotBeStartedIsNotCalledTooOld)
{
    // No command line: the version stays unknown, which is no reason to call the program too old.
    m_Settings.setText("folder", "C:\\Quovan");
    const HostRun none = run(std::string(kMarkArea) + "menu 2072\nshow menu\n");
    ASSERT_EQ(1u, none.boxes.size()) << none.dump();
    EXPECT_EQ(kLinkFailed, none.boxes[0].text);
    EXPECT_TRUE(messagesOf(none).empty());
    EXPECT_EQ("selectable", exportState(none));
}

TEST_F(ExportTest, AnsweringDesktopThatRefusesToQuitIsNeverTerminated)
{
    m_Settings.install(doubleCommand("--version 95", "second.txt"));
    const auto first = runDouble("--version 0 --exit refuse", "first.txt");
    const HostRun result = run(std::string(kMarkArea) + "menu 2072\nshow menu\n");
    ASSERT_EQ(1u, result.boxes.size()) << result.dump();
    EXPECT_EQ(kLinkFailed, result.boxes[0].text);
    EXPECT_EQ((Lines{"name=druvversion", "name=exit"}), received("first.txt"));
    // Still running, and no second instance beside it.
    EXPECT_TRUE(first->runsAfter(0));
    EXPECT_FALSE(testsupport::exists(file("second.txt")));
    EXPECT_EQ("selectable", exportState(result));
}

TEST_F(ExportTest, HungDesktopIsTerminatedAndStartedAnew)
{
    m_Settings.install(doubleCommand("--version 95", "second.txt"));
    const auto hung = runDouble("--hung 1", "first.txt");
    const HostRun result = run(std::string(kMarkArea) + "menu 2072\nshow menu\n");
    EXPECT_TRUE(result.boxes.empty()) << result.dump();
    const Lines messages = messagesOf(result);
    ASSERT_FALSE(messages.empty()) << result.dump();
    EXPECT_NE(std::string::npos, messages[0].find("\"name=druvversion\" -> no answer")) << messages[0];
    // Asked once: a window that did not answer in time is not asked again, not even to quit.
    EXPECT_EQ(1, std::count_if(messages.begin(), messages.end(),
                               [](const std::string& line) { return line.find("no answer") != std::string::npos; }));
    EXPECT_FALSE(hung->runsAfter(0));
    EXPECT_EQ(kStartedAndExported, received("second.txt"));
    EXPECT_EQ("greyed", exportState(result));
}

TEST_F(ExportTest, AnswersOfTwoDesktopWindowsAreAdded)
{
    m_Settings.install(doubleCommand());
    {
        // One window of version 0.50 is too old ...
        const auto single = runDouble("--version 50", "single.txt");
        const HostRun result = run(std::string(kMarkArea) + "menu 2072\n", {IDNO});
        ASSERT_EQ(1u, result.boxes.size()) << result.dump();
        EXPECT_EQ(kTooOld, result.boxes[0].text);
    }
    // ... two windows answering 50 each make 100, and both receive the export.
    const auto twoWindows = runDouble("--windows 2 --version 50");
    const HostRun result = run(std::string(kMarkArea) + "menu 2072\n");
    EXPECT_TRUE(result.boxes.empty()) << result.dump();
    const Lines messages = messagesOf(result);
    ASSERT_EQ(6u, messages.size()) << result.dump();
    EXPECT_NE(std::string::npos, messages[0].find("\"name=druvversion\" -> 50"));
    EXPECT_NE(std::string::npos, messages[1].find("\"name=druvversion\" -> 50"));
    int exportsPerWindow[2] = {0, 0};
    for (const desktoptest::Received& line : desktoptest::readRecord(file("record.txt")))
        if (line.kind == "command" && line.data.compare(0, 21, "name=druvexportmapex;") == 0 && line.window >= 0 &&
            line.window < 2)
            ++exportsPerWindow[line.window];
    EXPECT_EQ(1, exportsPerWindow[0]);
    EXPECT_EQ(1, exportsPerWindow[1]);
}

TEST_F(ExportTest, QuovanWindowOfAnotherProgramIsNeverAddressed)
{
    const std::string foreignProgram = file(desktoptest::kForeignProgram);
    ASSERT_TRUE(CopyFileA(desktoptest::desktopDouble().c_str(), foreignProgram.c_str(), FALSE));
    const auto foreign = runDouble("--title Quovan --version 95", "foreign.txt", foreignProgram);
    m_Settings.install(doubleCommand());

    // Not taken for the desktop program: the real one is started, and the other program survives
    // the exit that precedes the start.
    const HostRun result = run(std::string(kMarkArea) + "menu 2072\n");
    EXPECT_TRUE(result.boxes.empty()) << result.dump();
    EXPECT_EQ(kStartedAndExported, received());
    EXPECT_TRUE(received("foreign.txt").empty());
    EXPECT_TRUE(foreign->runsAfter(0));
    for (const std::string& message : messagesOf(result))
        EXPECT_EQ(0u, message.find("message \"Quovan Desktop\" ")) << message;
}

TEST_F(ExportTest, WindowsOfOtherProgramsCostNothing)
{
    // The search asks the system about single windows of the desktop program only: another program's
    // windows, even titled as the desktop program's are, add no question.
    m_Settings.install(doubleCommand());
    const auto desktop = runDouble("");
    const std::string script = std::string(kMarkArea) + "menu 2072\nshow windowqueries\n";
    const HostRun alone = run(script);
    const std::string foreignProgram = file(desktoptest::kForeignProgram);
    ASSERT_TRUE(CopyFileA(desktoptest::desktopDouble().c_str(), foreignProgram.c_str(), FALSE));
    const auto foreign = runDouble("--windows 40 --title \"Quovan Desktop\"", "foreign.txt", foreignProgram);
    const HostRun beside = run(script);

    const Lines queries = alone.starting("window queries ");
    ASSERT_EQ(1u, queries.size()) << alone.dump();
    EXPECT_EQ(queries, beside.starting("window queries ")) << beside.dump();
    EXPECT_TRUE(alone.boxes.empty() && beside.boxes.empty()) << beside.dump();
    const Lines commands = received();
    EXPECT_EQ(2, std::count(commands.begin(), commands.end(), kExportNoMaps));
    EXPECT_TRUE(received("foreign.txt").empty());
}

TEST_F(ExportTest, RegisteredFromAFolderOutsideTheCodePageTheHostLoadsItAndExports)
{
    // "Česká" has no name in code page 1252; regsvr32 gets the folder as Explorer gives it, wide.
    const std::wstring maps = strell::toWideText(file("Mapy"));
    const std::wstring folder = maps + L"\\\u010Cesk\u00e1";
    const std::wstring plugIns = folder + L"\\bin\\PlugIn";
    const std::wstring dll = plugIns + L"\\quovan.dll";
    for (const std::wstring& each : {maps, folder, folder + L"\\bin", plugIns})
        ASSERT_TRUE(CreateDirectoryW(each.c_str(), nullptr));
    ASSERT_TRUE(CopyFileW(strell::toWideText(plugintest::plugInDll()).c_str(), dll.c_str(), FALSE));
    m_Settings.install(doubleCommand());
    const auto desktop = runDouble("");
    // Held until the host has created the plug-in: no other test registers its copy meanwhile.
    plugintest::RegistryLock lock;
    testsupport::ChildProcess regsvr32 = testsupport::launch(L"regsvr32.exe /s \"" + dll + L"\"");
    ASSERT_TRUE(regsvr32.wait(60000));
    EXPECT_EQ(0u, regsvr32.exitCode());
    wchar_t registered[MAX_PATH * 2] = {};
    LONG size = sizeof registered;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueW(HKEY_CLASSES_ROOT,
                                            L"CLSID\\{6f3e2c81-5b7a-4d19-9c4e-2a8d71f0b6e3}\\InprocServer32",
                                            registered, &size));
    EXPECT_TRUE(dll == registered) << strell::toAnsiText(registered);

    const HostRun result = run(std::string(kMarkArea) + "menu 2072\n", {}, "--no-register");
    EXPECT_TRUE(result.has("create \"GeoPlugin.quovan\" -> S_OK")) << result.dump();
    EXPECT_TRUE(result.boxes.empty()) << result.dump();
    EXPECT_EQ((Lines{"name=druvversion", "name=druvidle", kExportNoMaps}), received());

    DeleteFileW(dll.c_str());
    for (const std::wstring& each : {plugIns, folder + L"\\bin", folder, maps})
        RemoveDirectoryW(each.c_str());
}

TEST_F(ExportTest, StartWaitsUntilTheDesktopIsReady)
{
    m_Settings.install(doubleCommand("--busy-for 1200"));
    const HostRun result = run(std::string(kMarkArea) + "menu 2072\n");
    EXPECT_TRUE(result.boxes.empty()) << result.dump();
    const std::vector<desktoptest::Received> record = desktoptest::readRecord(file("record.txt"));
    ASSERT_GE(record.size(), 5u) << result.dump();
    EXPECT_EQ(0, record[1].answer) << record[1].line;
    const Lines commands = received();
    // Asked for readiness until it said yes, then the version and the export.
    EXPECT_EQ((Lines{"name=druvidle", "name=druvversion", "name=druvidle", kExportNoMaps}),
              Lines(commands.end() - 4, commands.end()));
    for (size_t i = 0; i + 4 < commands.size(); ++i)
        EXPECT_EQ("name=druvidle", commands[i]);
}

TEST_F(ExportTest, AnswersJustUnderTheLimitAreWaitedForEveryTime)
{
    // Three commands answered in 2.8 s each take longer than the 8 s that waiting in vain may take:
    // a program that answers is given its full time for each.
    m_Settings.install(doubleCommand());
    const auto desktop = runDouble("--answer-delay 2800");
    const HostRun result = run(std::string(kMarkArea) + "menu 2072\n");
    EXPECT_TRUE(result.boxes.empty()) << result.dump();
    EXPECT_EQ((Lines{"name=druvversion", "name=druvidle", kExportNoMaps}), received());
    const Lines messages = messagesOf(result);
    ASSERT_EQ(3u, messages.size()) << result.dump();
    EXPECT_NE(std::string::npos, messages[0].find("\"name=druvversion\" -> 95"));
    EXPECT_NE(std::string::npos, messages[2].find(" -> 1"));
}

TEST_F(ExportTest, RefusedExportEndsInABoxAndKeepsTheMarking)
{
    m_Settings.install(doubleCommand());
    const auto desktop = runDouble("--export 0");
    const HostRun result = run(std::string(kMarkArea) + "menu 2072\nshow menu\nshow graphics\n");
    ASSERT_EQ(1u, result.boxes.size()) << result.dump();
    EXPECT_EQ("Error", result.boxes[0].caption);
    EXPECT_EQ(kLinkFailed, result.boxes[0].text);
    const Lines exported = result.step("menu 2072");
    const size_t sent = indexOf(exported, {"message \"Quovan Desktop\" WM_COPYDATA", "\"name=druvexportmapex;"});
    ASSERT_LT(sent, exported.size()) << result.dump();
    EXPECT_NE(std::string::npos, exported[sent].find("-> 0"));
    // The user can try again with the same area.
    EXPECT_EQ(exported.size(), indexOf(exported, {"call Graphic.Detach()"}));
    EXPECT_EQ("selectable", exportState(result));
    EXPECT_NE(std::string::npos, result.step("show graphics").at(0).find("attached to document"));
}

TEST_F(ExportTest, AcceptedExportRemovesTheMarkingAfterSending)
{
    m_Settings.install(doubleCommand());
    const auto desktop = runDouble("");
    const HostRun result = run(std::string(kMarkArea) + "menu 2072\nshow menu\nshow graphics\n");
    EXPECT_TRUE(result.boxes.empty()) << result.dump();
    const Lines exported = result.step("menu 2072");
    const size_t sent = indexOf(exported, {"message \"Quovan Desktop\" WM_COPYDATA", "\"name=druvexportmapex;"});
    EXPECT_LT(sent, indexOf(exported, {"call Graphic.Detach() -> S_OK graphic 1"}));
    EXPECT_LT(sent, exported.size()) << result.dump();
    EXPECT_EQ("greyed", exportState(result));
    EXPECT_TRUE(contains(result.step("show menu"), "    2070 \"Exportbereich markieren\" selectable"));
    EXPECT_NE(std::string::npos, result.step("show graphics").at(0).find("not attached released"));
}

TEST_F(ExportTest, BusyDesktopIsNeitherStoppedNorStartedTwice)
{
    // Version fine but busy (as while it transfers to a phone): it answers, so it is left alone, and
    // the user learns to try again once it is ready.
    m_Settings.install(doubleCommand("", "second.txt"));
    const auto desktop = runDouble("--idle 0 --exit refuse");
    const HostRun result = run(std::string(kMarkArea) + "menu 2072\nshow menu\n");
    ASSERT_EQ(1u, result.boxes.size()) << result.dump();
    EXPECT_EQ("Information", result.boxes[0].caption);
    EXPECT_EQ(kBusy, result.boxes[0].text);
    EXPECT_EQ((Lines{"name=druvversion", "name=druvidle", "name=druvidle"}), received());
    EXPECT_TRUE(desktop->runsAfter(0));
    EXPECT_FALSE(testsupport::exists(file("second.txt")));
    EXPECT_EQ("selectable", exportState(result));
}

TEST_F(ExportTest, FailingWindowSearchEndsInABoxAndTheHostGoesOn)
{
    m_Settings.install(doubleCommand());
    const auto desktop = runDouble("");
    const HostRun result = run(std::string(kMarkArea) + "fail System.ProcessList 0xC0000017\nmenu 2072\n"
                                                        "pass System.ProcessList\nshow menu\nmenu 2072\n");
    ASSERT_EQ(1u, result.boxes.size()) << result.dump();
    EXPECT_EQ("Error", result.boxes[0].caption);
    EXPECT_EQ(kLinkFailed, result.boxes[0].text);
    const Lines failed = result.step("menu 2072", 1);
    EXPECT_TRUE(contains(failed, "call System.ProcessList() -> status 0xC0000017 injected")) << result.dump();
    EXPECT_EQ("= HandleMenuEvent -> S_OK result 2", failed.back());
    // Nothing was exported and the area is kept for the next attempt, which succeeds.
    EXPECT_EQ("selectable", exportState(result));
    EXPECT_EQ((Lines{"name=druvversion", "name=druvidle", kExportNoMaps}), received());
}

TEST_F(ExportTest, DesktopWindowsThatCannotBeReadWhileStartingEndInABox)
{
    // The search fails while the started program comes up (the second search of the command).
    m_Settings.install(doubleCommand());
    const HostRun result =
        run(std::string(kMarkArea) + "fail System.ProcessList 0xC0000017 2\nmenu 2072\nshow menu\n");
    ASSERT_EQ(1u, result.boxes.size()) << result.dump();
    EXPECT_EQ("Error", result.boxes[0].caption);
    EXPECT_EQ(kLinkFailed, result.boxes[0].text);
    EXPECT_TRUE(result.has("call System.ProcessList() -> status 0xC0000017 injected")) << result.dump();
    EXPECT_EQ("selectable", exportState(result));
    EXPECT_TRUE(received().empty());
}

TEST_F(ExportTest, WithoutModuleSnapshotsTheDesktopIsStillFound)
{
    // The search reads only the programs' executables, never their module lists.
    m_Settings.install(doubleCommand());
    const auto running = runDouble("--version 95");
    const HostRun result = run(std::string(kMarkArea) + "never System.ModuleSnapshot\nmenu 2072\n");
    EXPECT_TRUE(result.boxes.empty()) << result.dump();
    EXPECT_TRUE(result.starting("call System.ModuleSnapshot()").empty()) << result.dump();
    const Lines commands = received();
    ASSERT_FALSE(commands.empty());
    EXPECT_EQ(kExportNoMaps, commands.back());
}

} // namespace
