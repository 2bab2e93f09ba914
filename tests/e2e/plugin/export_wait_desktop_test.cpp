// The export's wait for a slow desktop program: the host goes on taking its messages, one deadline
// ends the whole exchange, the user can cancel, and the host may close the plug-in meanwhile. The
// host's script commands marked "later" arrive while the plug-in waits, as the user's or the host's
// own actions would.

#include "desktop_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace {

using desktoptest::kAreaPart;
using desktoptest::kMarkArea;
using plugintest::HostRun;
using Lines = std::vector<std::string>;

// A suite of its own: its waits are long.
class ExportWait : public desktoptest::ExportTest {};

// Each answer just under the 3 s that a window has for it, with room for a loaded machine.
const char* const kSlowDesktop = "--answer-delay 2800";
const char* const kTooSlow = "Der Quovan Desktop hat nicht rechtzeitig geantwortet.\n\nDie Karten wurden nicht "
                             "exportiert. Bitte versuche es noch einmal.";
const std::string kExportNoMaps = std::string("name=druvexportmapex;;") + kAreaPart;

// The host's longest time without taking a queued message, in ms; -1 when it was not written.
long longestUnanswered(const HostRun& run)
{
    const std::string prefix = "longest unanswered: ";
    for (const std::string& line : run.transcript)
        if (line.compare(0, prefix.size(), prefix) == 0)
            return std::atol(line.c_str() + prefix.size());
    return -1;
}

bool has(const Lines& lines, const std::string& part)
{
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& line) { return line.find(part) != std::string::npos; });
}

// The state of the export command after the first "show menu" step.
std::string exportState(const HostRun& result)
{
    for (const std::string& line : result.step("show menu"))
        if (line.find("2072 \"&Exportieren\"") != std::string::npos)
            return line.substr(line.rfind(' ') + 1);
    return "missing";
}

TEST_F(ExportWait, HostTakesItsMessagesWhileASlowDesktopIsServedAndRefusesASecondAction)
{
    m_Settings.install(doubleCommand());
    const auto desktop = runDouble(kSlowDesktop);
    const HostRun result =
        run(std::string(kMarkArea) + "later 1500 menu 2072\nlater 1600 menu 2071\nmenu 2072\nshow menu\n");
    EXPECT_TRUE(result.boxes.empty()) << result.dump();
    EXPECT_EQ((Lines{"name=druvversion", "name=druvidle", kExportNoMaps}), received());
    // Three answers of 2.8 s each: a host frozen meanwhile would have left its messages waiting that long.
    const long longest = longestUnanswered(result);
    EXPECT_LE(0, longest) << result.dump();
    EXPECT_GT(2800, longest) << result.dump();
    // The second export and the removal of the marking arrived during the wait and were refused.
    const Lines exported = result.step("menu 2072");
    for (const char* command : {"later: menu 2072", "later: menu 2071"}) {
        const auto from = std::find(exported.begin(), exported.end(), command);
        ASSERT_NE(exported.end(), from) << result.dump();
        const auto to = std::find_if(from, exported.end(), [](const std::string& line) {
            return line.compare(0, 18, "= HandleMenuEvent ") == 0;
        });
        ASSERT_NE(exported.end(), to) << result.dump();
        EXPECT_TRUE(has(Lines(from, to), "refused: an export is waiting")) << command;
        EXPECT_FALSE(has(Lines(from, to), "call Graphic.")) << command;
        EXPECT_FALSE(has(Lines(from, to), "call Menu.")) << command;
    }
    EXPECT_EQ("greyed", exportState(result));
}

TEST_F(ExportWait, TwoSlowWindowsAreServedWithinTheDeadline)
{
    m_Settings.install(doubleCommand());
    const auto desktop = runDouble(std::string("--windows 2 ") + kSlowDesktop);
    const HostRun result = run(std::string(kMarkArea) + "menu 2072\n");
    EXPECT_TRUE(result.boxes.empty()) << result.dump();
    int exportsPerWindow[2] = {0, 0};
    for (const desktoptest::Received& line : desktoptest::readRecord(file("record.txt")))
        if (line.kind == "command" && line.data.compare(0, kExportNoMaps.size(), kExportNoMaps) == 0 && line.window >= 0 && line.window < 2)
            ++exportsPerWindow[line.window];
    EXPECT_EQ(1, exportsPerWindow[0]) << result.dump();
    EXPECT_EQ(1, exportsPerWindow[1]) << result.dump();
    EXPECT_GT(2800, longestUnanswered(result)) << result.dump();
}

TEST_F(ExportWait, SixSlowWindowsAreReportedAsNotAnsweringInTimeNotAsBusy)
{
    m_Settings.install(doubleCommand("", "second.txt"));
    const auto desktop = runDouble(std::string("--windows 6 --exit refuse ") + kSlowDesktop);
    const HostRun result = run(std::string(kMarkArea) + "menu 2072\nshow menu\n");
    ASSERT_EQ(1u, result.boxes.size()) << result.dump();
    EXPECT_EQ("Error", result.boxes[0].caption);
    EXPECT_EQ(kTooSlow, result.boxes[0].text);
    EXPECT_TRUE(desktop->runsAfter(0));
    EXPECT_FALSE(testsupport::exists(file("second.txt")));
    EXPECT_EQ("selectable", exportState(result));
}

TEST_F(ExportWait, CancelEndsTheWaitAtOnceKeepsTheMarkingAndShowsNoBox)
{
    m_Settings.install(doubleCommand());
    const auto desktop = runDouble(kSlowDesktop);
    const HostRun result = run(std::string(kMarkArea) + "later 1500 cancel\nmenu 2072\nshow menu\nshow graphics\n");
    EXPECT_TRUE(result.boxes.empty()) << result.dump();
    const Lines exported = result.step("menu 2072");
    EXPECT_TRUE(has(exported, "wait window \"Quovan\": \"Die Karten werden an den Quovan Desktop übergeben. Bitte "
                              "warten …\" [Abbrechen] pressed"))
        << result.dump();
    // Ended before the version's answer came, and nothing more was sent.
    EXPECT_FALSE(has(exported, "\"name=druvversion\" -> 95")) << result.dump();
    EXPECT_FALSE(has(result.transcript, "name=druvidle")) << result.dump();
    EXPECT_EQ("selectable", exportState(result));
    EXPECT_NE(std::string::npos, result.step("show graphics").at(0).find("attached to document"));
}

TEST_F(ExportWait, TerminateOrReleaseDuringTheWaitEndItAndTheDllStaysWhileItsWorkerRuns)
{
    m_Settings.install(doubleCommand());
    const auto desktop = runDouble(kSlowDesktop);
    const HostRun terminated = run(std::string(kMarkArea) + "later 1500 terminate\nmenu 2072\n");
    EXPECT_TRUE(terminated.boxes.empty()) << terminated.dump();
    Lines exported = terminated.step("menu 2072");
    const auto closed = std::find(exported.begin(), exported.end(), "= Terminate -> S_OK");
    ASSERT_NE(exported.end(), closed) << terminated.dump();
    // After Terminate the command returned without calling the host again.
    EXPECT_EQ("= HandleMenuEvent -> S_OK result 2", exported.back()) << terminated.dump();
    EXPECT_FALSE(std::any_of(closed, exported.end(),
                             [](const std::string& line) { return line.compare(0, 5, "call ") == 0; }))
        << terminated.dump();

    const HostRun released = run(std::string(kMarkArea) + "later 1500 release\nmenu 2072\ncanunload\n");
    EXPECT_TRUE(released.boxes.empty()) << released.dump();
    exported = released.step("menu 2072");
    EXPECT_TRUE(has(exported, "plug-in released, count 1")) << released.dump();
    // The plug-in object is gone; its worker, still waiting for the answer, keeps the DLL.
    EXPECT_EQ(Lines{"DllCanUnloadNow -> S_FALSE"}, released.step("canunload")) << released.dump();
    EXPECT_FALSE(has(exported, "\"name=druvversion\" -> 95")) << released.dump();
    for (const HostRun* each : {&terminated, &released})
        EXPECT_FALSE(has(each->transcript, "name=druvidle")) << each->dump();
}

} // namespace
