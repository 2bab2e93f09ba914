// Host calls that fail at every step of the plug-in's life, refused and repeated calls: each ends
// with the error's text where the user or the debugger output gets it, and never with a crash of
// the host.

#include "plugin_test_support.h"

#include <gtest/gtest.h>

namespace {

using plugintest::HostRun;
using Lines = std::vector<std::string>;

class PlugInFaults : public ::testing::Test {
protected:
    HostRun run(const std::string& script, std::vector<int> answers = {})
    {
        plugintest::RegistryLock lock;
        HostRun result = plugintest::runHost(m_Installation, script, answers);
        EXPECT_FALSE(result.timedOut);
        EXPECT_EQ(0u, result.exitCode) << result.dump();
        EXPECT_EQ("end 0", result.transcript.empty() ? "" : result.transcript.back()) << result.dump();
        return result;
    }

    // The last two lines of a step: the debugger output of the failed call and the slot's result.
    static Lines tail(const Lines& lines)
    {
        return lines.size() < 2 ? lines : Lines(lines.end() - 2, lines.end());
    }

    plugintest::Installation m_Installation;
};

struct BuildStepFault {
    const char* operation;
    int nth;
    const char* text; // what the host's S_FALSE makes of it
};

// Every host call of building the menu, each failing with S_FALSE.
TEST_F(PlugInFaults, EveryStepOfBuildingTheMenuWithItsErrorText)
{
    const BuildStepFault faults[] = {
        {"Application.GetMenuInterface", 1, "Unable to get the menu"},
        {"Menu.GetMenu", 1, "Unable to get the menu"},
        {"Application.GetMenuInterface", 2, "Unable to get the menu"},
        {"Menu.CreateMenu", 1, "Unable to create a new menu"},
        {"Menu.AddItem", 1, "Item can't be added to the menu"},
        {"Menu.AddItem", 2, "Item can't be added to the menu"}, // the first separator
        {"Menu.AddItem", 8, "Item can't be added to the menu"},
        {"Menu.InsertPopup", 1, "Menu can't be added"},
        {"Menu.SetItemState", 1, "Unable to set the menu item state"},
        {"Menu.SetItemState", 3, "Unable to set the menu item state"},
    };
    std::string script;
    for (const BuildStepFault& fault : faults)
        script += "create\nfail " + std::string(fault.operation) + " S_FALSE " + std::to_string(fault.nth) +
                  "\ninitialise\npass " + fault.operation + "\nterminate\n";
    const HostRun result = run(script);
    for (size_t i = 0; i < sizeof faults / sizeof faults[0]; ++i) {
        const Lines lines = result.step("initialise", static_cast<int>(i) + 1);
        ASSERT_GE(lines.size(), 3u) << faults[i].operation << "\n" << result.dump();
        EXPECT_EQ(0u, lines[lines.size() - 3].find("call " + std::string(faults[i].operation) + "("))
            << lines[lines.size() - 3];
        EXPECT_NE(std::string::npos, lines[lines.size() - 3].find("-> S_FALSE injected"));
        EXPECT_EQ((Lines{"debug \"Initialize: " + std::string(faults[i].text) + "\"", "= Initialize -> E_FAIL"}),
                  tail(lines))
            << faults[i].operation << " " << faults[i].nth;
        // Nothing after the failed call: the menu is not completed, the control not called.
        EXPECT_EQ(std::string::npos, lines[lines.size() - 3].find("Control.Call"));
    }
    // No box: initialising reports to the host, not to the user.
    EXPECT_TRUE(result.boxes.empty()) << result.dump();
}

TEST_F(PlugInFaults, FailedInitialiseLeavesNoMenuBehindAfterTerminate)
{
    const HostRun result =
        run("show objects\nfail Menu.InsertPopup E_FAIL\ninitialise\nterminate\nshow menu\nshow objects\n");
    // The popup that was made but never inserted is deleted again.
    EXPECT_EQ("call Menu2.DeleteMenu(100) -> S_OK", result.step("terminate").at(0)) << result.dump();
    EXPECT_EQ("= Terminate -> S_OK", result.step("terminate").back());
    EXPECT_EQ(10u, result.step("show menu").size());
    EXPECT_EQ(result.step("show objects", 1), result.step("show objects", 2));
}

TEST_F(PlugInFaults, OtherResultsGiveTheSystemsText)
{
    char outOfMemory[400] = {};
    ASSERT_NE(0u, FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                 static_cast<DWORD>(E_OUTOFMEMORY), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                 outOfMemory, sizeof outOfMemory, nullptr));
    std::string escaped = outOfMemory;
    for (size_t at; (at = escaped.find_first_of("\r\n")) != std::string::npos;)
        escaped.replace(at, 1, escaped[at] == '\r' ? "\\r" : "\\n");
    const HostRun result = run("fail Menu.AddItem E_OUTOFMEMORY 3\ninitialise\ncreate\n"
                               "fail Menu.CreateMenu 0x80040155\ninitialise\n");
    EXPECT_EQ((Lines{"debug \"Initialize: " + escaped + "\"", "= Initialize -> E_FAIL"}),
              tail(result.step("initialise", 1)))
        << result.dump();
    EXPECT_EQ((Lines{"debug \"Initialize: Unknown error (0x80040155)\"", "= Initialize -> E_FAIL"}),
              tail(result.step("initialise", 2)));
}

TEST_F(PlugInFaults, NullApplicationIsRefusedWithoutAnyHostCall)
{
    const HostRun result = run("initialise null\ninitialise\n");
    EXPECT_EQ((Lines{"debug \"Initialize: Variable not initialised\"", "= Initialize -> E_POINTER"}),
              result.step("initialise null"))
        << result.dump();
    // The refused call leaves the plug-in as it was: a later initialise works.
    EXPECT_EQ("= Initialize -> S_OK", result.step("initialise").back());
}

TEST_F(PlugInFaults, MenuInterfaceWithoutInterfaceIsNotInitialised)
{
    const HostRun result = run("null Application.GetMenuInterface\ninitialise\n");
    EXPECT_EQ((Lines{"call Application.GetMenuInterface() -> S_OK null", "debug \"Initialize: Variable not initialised\"",
                     "= Initialize -> E_FAIL"}),
              result.step("initialise"))
        << result.dump();
}

TEST_F(PlugInFaults, MissingPlugInControlIsNotInitialised)
{
    const HostRun result = run("offer control no\ninitialise\n");
    EXPECT_EQ((Lines{"debug \"Initialize: Variable not initialised\"", "= Initialize -> E_FAIL"}),
              tail(result.step("initialise")))
        << result.dump();
}

TEST_F(PlugInFaults, MenuCommandErrorsAreShownInTheErrorBox)
{
    const HostRun result = run("initialise\n"
                               "fail Application.ShowMessage S_FALSE\nmenu 2073\n"
                               "fail Application.ShowMessage E_POINTER\nmenu 2073\n"
                               "pass Application.ShowMessage\nfail Menu.SetItemState S_FALSE 2\nmenu 2069\n");
    ASSERT_EQ(3u, result.boxes.size()) << result.dump();
    EXPECT_EQ("Error", result.boxes[0].caption);
    EXPECT_EQ("Unable to set the message box", result.boxes[0].text);
    EXPECT_EQ(std::vector<int>{IDOK}, result.boxes[0].buttons);
    EXPECT_FALSE(result.boxes[0].hasIcon);
    EXPECT_EQ("Unknown error (0x80004003)", result.boxes[1].text);
    EXPECT_EQ("Unable to set the menu item state", result.boxes[2].text);

    // The states are applied after the failed command, and the answer stays 2.
    const Lines about = result.step("menu 2073", 1);
    ASSERT_EQ(8u, about.size()) << result.dump();
    EXPECT_EQ("box plugin [Error] \"Unable to set the message box\"", about[3]);
    EXPECT_EQ("call Menu.SetItemState(7, 2070, 2) -> S_OK", about[4]);
    EXPECT_EQ("= HandleMenuEvent -> S_OK result 2", about[7]);
    // A failed state ends the states; the shell call before it was made.
    const Lines install = result.step("menu 2069");
    EXPECT_EQ((Lines{"call Menu.SetItemState(7, 2071, 4) -> S_FALSE injected",
                     "box plugin [Error] \"Unable to set the menu item state\"", "= HandleMenuEvent -> S_OK result 2"}),
              Lines(install.end() - 3, install.end()))
        << result.dump();
}

TEST_F(PlugInFaults, MenuEventsAfterTerminateReportTheMissingMenu)
{
    const HostRun result = run("initialise\nterminate\nmenu 2071\n");
    ASSERT_EQ(1u, result.boxes.size()) << result.dump();
    EXPECT_EQ("Variable not initialised", result.boxes[0].text);
    EXPECT_EQ("= HandleMenuEvent -> S_OK result 2", result.step("menu 2071").back());
}

TEST_F(PlugInFaults, DeletingTheMenuFailsButShutdownGoesOn)
{
    const HostRun result = run("initialise\nfail Menu2.DeleteMenu E_FAIL\nterminate\nshow objects\n");
    const Lines lines = result.step("terminate");
    ASSERT_EQ(4u, lines.size()) << result.dump();
    EXPECT_EQ("call Menu2.DeleteMenu(100) -> E_FAIL injected", lines[0]);
    char callFailed[400] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, static_cast<DWORD>(E_FAIL),
                   MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), callFailed, sizeof callFailed, nullptr);
    EXPECT_EQ(0u, lines[1].find("debug \"" + std::string(callFailed).substr(0, 4))) << lines[1];
    EXPECT_EQ(0u, lines[2].find("call Application.WriteSetting(\"MyPlugin\", \"ShutdownTime\", "));
    EXPECT_EQ("= Terminate -> S_OK", lines[3]);
    EXPECT_TRUE(result.boxes.empty());
}

TEST_F(PlugInFaults, DeletingTheMenuWithSFalseGivesTheTableText)
{
    const HostRun result = run("initialise\nfail Menu2.DeleteMenu S_FALSE\nterminate\n");
    EXPECT_EQ("debug \"Unable to delete the menu of the PlugIn\"", result.step("terminate").at(1)) << result.dump();
}

TEST_F(PlugInFaults, MissingMenuCompanionInterfaceAtShutdown)
{
    const HostRun result = run("offer menu2 no\ninitialise\nterminate\n");
    const Lines lines = result.step("terminate");
    ASSERT_EQ(3u, lines.size()) << result.dump();
    EXPECT_EQ("debug \"Variable not initialised\"", lines[0]);
    EXPECT_EQ("= Terminate -> S_OK", lines[2]);
}

TEST_F(PlugInFaults, StoringTheShutdownTimeFailsAndTheHostIsStillReleased)
{
    const HostRun result =
        run("show objects\ninitialise\nfail Application.WriteSetting S_FALSE\nterminate\nshow objects\nshow settings\n");
    const Lines lines = result.step("terminate");
    ASSERT_EQ(4u, lines.size()) << result.dump();
    EXPECT_NE(std::string::npos, lines[1].find("-> S_FALSE injected"));
    EXPECT_EQ("debug \"Terminate: Unable to set the string at the specified section\"", lines[2]);
    EXPECT_EQ("= Terminate -> E_FAIL", lines[3]);
    EXPECT_EQ(result.step("show objects", 1), result.step("show objects", 2));
    EXPECT_EQ(Lines{"no settings"}, result.step("show settings"));
}

// The host's application is given back at the first terminate, so a second one has nowhere to store
// a new time: it reports that and changes nothing.
TEST_F(PlugInFaults, TerminateTwice)
{
    const HostRun result = run("initialise\nterminate\nshow settings\nterminate\nshow settings\nshow menu\n");
    EXPECT_EQ((Lines{"debug \"Terminate: Variable not initialised\"", "= Terminate -> E_FAIL"}),
              result.step("terminate", 2))
        << result.dump();
    EXPECT_EQ(result.step("show settings", 1), result.step("show settings", 2));
    EXPECT_TRUE(result.boxes.empty());
}

TEST_F(PlugInFaults, TerminateWithoutInitialise)
{
    const HostRun result = run("terminate\n");
    EXPECT_EQ((Lines{"debug \"Terminate: Variable not initialised\"", "= Terminate -> E_FAIL"}),
              result.step("terminate"))
        << result.dump();
}

TEST_F(PlugInFaults, ReleasedWithoutTerminateGivesTheHostEverythingBack)
{
    const HostRun result = run("show objects\ninitialise\nmenu 2070\nrelease\nshow objects\ncanunload\n");
    EXPECT_EQ(result.step("show objects", 1), result.step("show objects", 2)) << result.dump();
    EXPECT_EQ(Lines{"DllCanUnloadNow -> S_OK"}, result.step("canunload"));
}

// The double's own check: a fault that never took effect, or a forbidden call that came, fails the
// script, so that a product ignoring a fault cannot pass for one that handles it.
TEST_F(PlugInFaults, AFaultThatNeverTookEffectFailsTheScript)
{
    plugintest::RegistryLock lock;
    // Initialising asks no map, adds fewer than 50 items and creates the menu.
    const HostRun result = plugintest::runHost(
        m_Installation, "fail Map.GetDataPath E_FAIL\nfail Menu.AddItem S_FALSE 50\nnever Menu.CreateMenu\n"
                        "initialise\npass Menu.AddItem\nterminate\n");
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(2u, result.exitCode) << result.dump();
    EXPECT_TRUE(result.has("fault Map.GetDataPath never took effect")) << result.dump();
    EXPECT_TRUE(result.has("fault Menu.AddItem never took effect")) << result.dump();
    EXPECT_TRUE(result.has("forbidden Menu.CreateMenu was called")) << result.dump();

    const HostRun effective =
        plugintest::runHost(m_Installation, "fail Menu.AddItem S_FALSE 2\ninitialise\nterminate\n");
    EXPECT_EQ(0u, effective.exitCode) << effective.dump();
    EXPECT_TRUE(effective.starting("fault ").empty()) << effective.dump();
}

} // namespace
