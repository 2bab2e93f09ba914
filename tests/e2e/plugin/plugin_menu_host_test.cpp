// The plug-in object in the simulated host: loading, the "&Mobile" menu and its states, the
// commands, notifications, the plug-in information, termination and unloading.

#include "plugin_test_support.h"
#include "process_launcher.h"
#include "transcript_text.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <ctime>
#include <regex>

namespace {

using plugintest::HostRun;
using Lines = std::vector<std::string>;

const Lines kMenuStatesNoArea = {
    "call Menu.SetItemState(7, 2070, 2) -> S_OK",
    "call Menu.SetItemState(7, 2071, 4) -> S_OK",
    "call Menu.SetItemState(7, 2072, 4) -> S_OK",
};

class PlugInHost : public ::testing::Test {
protected:
    HostRun run(const std::string& script, std::vector<int> answers = {}, const std::string& extra = std::string())
    {
        plugintest::RegistryLock lock;
        HostRun result = plugintest::runHost(m_Installation, script, answers, extra);
        EXPECT_FALSE(result.timedOut);
        EXPECT_EQ(0u, result.exitCode) << result.dump();
        EXPECT_EQ("end 0", result.transcript.empty() ? "" : result.transcript.back()) << result.dump();
        return result;
    }

    plugintest::Installation m_Installation;
};

TEST_F(PlugInHost, LoadsThePlugInFromTheInstallationThroughRegsvr32AndItsProgId)
{
    const HostRun result = run("show objects\n");
    ASSERT_GE(result.transcript.size(), 3u) << result.dump();
    EXPECT_EQ("regsvr32 " + hostsim::quote(m_Installation.plugInPath()) + " -> exit 0", result.transcript[0])
        << result.dump();
    EXPECT_EQ("create \"GeoPlugin.quovan\" -> S_OK", result.transcript[1]);
    EXPECT_EQ("plug-in module " + hostsim::quote(m_Installation.plugInPath()) + " loaded", result.transcript[2]);
    EXPECT_EQ((std::vector<std::string>{"end of script", "no factory held", "plug-in released, count 0", "end 0"}),
              std::vector<std::string>(result.transcript.end() - 4, result.transcript.end()));
}

TEST_F(PlugInHost, InitialiseBuildsTheMobileMenuAtPosition8)
{
    const HostRun result = run("initialise\nshow menu\n");
    const Lines expected = {
        "call Application.GetMenuInterface() -> S_OK",
        "call Menu.GetMenu(0) -> S_OK menu 1",
        "call Application.GetMenuInterface() -> S_OK",
        "call Menu.CreateMenu() -> S_OK menu 100",
        "call Menu.AddItem(7, 100, \"\", 2069, \"Software auf Mobile installieren\") -> S_OK",
        "call Menu.AddItem(7, 100, \"\", 0, \"\") -> S_OK separator",
        "call Menu.AddItem(7, 100, \"\", 2070, \"Exportbereich markieren\") -> S_OK",
        "call Menu.AddItem(7, 100, \"\", 2071, \"Markierung entfernen\") -> S_OK",
        "call Menu.AddItem(7, 100, \"\", 0, \"\") -> S_OK separator",
        "call Menu.AddItem(7, 100, \"\", 2072, \"&Exportieren\") -> S_OK",
        "call Menu.AddItem(7, 100, \"\", 0, \"\") -> S_OK separator",
        "call Menu.AddItem(7, 100, \"\", 2073, \"Über Quovan Plugin\") -> S_OK",
        "call Menu.InsertPopup(1, 100, 8, \"&Mobile\") -> S_OK",
        kMenuStatesNoArea[0],
        kMenuStatesNoArea[1],
        kMenuStatesNoArea[2],
        "call Control.Call(7, -1) -> S_OK",
        "= Initialize -> S_OK",
    };
    EXPECT_EQ(expected, result.step("initialise")) << result.dump();

    const Lines menu = {
        "menu bar",
        "  0 \"&Datei\"",
        "  1 \"&Bearbeiten\"",
        "  2 \"&Ansicht\"",
        "  3 \"&Karte\"",
        "  4 \"&Grafik\"",
        "  5 \"&Overlay\"",
        "  6 \"E&xtras\"",
        "  7 \"&Fenster\"",
        "  8 \"&Mobile\" popup 100",
        "    2069 \"Software auf Mobile installieren\" selectable",
        "    separator",
        "    2070 \"Exportbereich markieren\" selectable",
        "    2071 \"Markierung entfernen\" greyed",
        "    separator",
        "    2072 \"&Exportieren\" greyed",
        "    separator",
        "    2073 \"Über Quovan Plugin\" selectable",
        "  9 \"&Hilfe\"",
    };
    EXPECT_EQ(menu, result.step("show menu"));
}

TEST_F(PlugInHost, PlugInIdentifierGoesWithEveryMenuCall)
{
    const HostRun result = run("initialise id 4711\nmenu 2071\n");
    const Lines calls = result.starting("call Menu.");
    ASSERT_EQ(17u, calls.size()) << result.dump();
    for (const std::string& line : calls) {
        if (line.find("AddItem") != std::string::npos || line.find("SetItemState") != std::string::npos) {
            EXPECT_NE(std::string::npos, line.find("(4711, ")) << line;
        }
    }
    EXPECT_TRUE(result.has("call Control.Call(4711, -1) -> S_OK"));
}

TEST_F(PlugInHost, AboutBoxThroughTheHost)
{
    const HostRun result = run("initialise\nmenu 2073\n");
    const std::string about = "Quovan Plugin für Geogrid - © 2009 telvor. Alle Rechte vorbehalten.\\n\\n"
                              "Version: 1.01\\nBuild: 17.02.2009 10:37:16,19";
    const Lines expected = {
        "debug \"OnMenuEvent\"",
        "call MenuEvent.GetCommandId() -> S_OK 2073",
        "call Application.ShowMessage(\"" + about + "\", \"Über Quovan Plugin\") -> S_OK",
        "box host [Über Quovan Plugin] \"" + about + "\"",
        kMenuStatesNoArea[0],
        kMenuStatesNoArea[1],
        kMenuStatesNoArea[2],
        "= HandleMenuEvent -> S_OK result 2",
    };
    EXPECT_EQ(expected, result.step("menu 2073")) << result.dump();
    EXPECT_TRUE(result.boxes.empty());
}

TEST_F(PlugInHost, InstallPageOpensTheMakersAddress)
{
    const HostRun result = run("initialise\nmenu 2069\n");
    const Lines expected = {
        "debug \"OnMenuEvent\"",
        "call MenuEvent.GetCommandId() -> S_OK 2069",
        "shell open \"http://www.telvor.de/install\" show 1",
        kMenuStatesNoArea[0],
        kMenuStatesNoArea[1],
        kMenuStatesNoArea[2],
        "= HandleMenuEvent -> S_OK result 2",
    };
    EXPECT_EQ(expected, result.step("menu 2069")) << result.dump();
}

TEST_F(PlugInHost, UnknownCommandsOnlyReapplyTheItemStates)
{
    const HostRun result = run("initialise\nmenu 9999\nmenu 0\nmenu -1\n");
    for (const char* command : {"menu 9999", "menu 0", "menu -1"}) {
        const Lines lines = result.step(command);
        ASSERT_EQ(6u, lines.size()) << command << "\n" << result.dump();
        EXPECT_EQ("debug \"OnMenuEvent\"", lines[0]);
        EXPECT_EQ(0u, lines[1].find("call MenuEvent.GetCommandId() -> S_OK"));
        EXPECT_EQ(kMenuStatesNoArea, Lines(lines.begin() + 2, lines.begin() + 5));
        EXPECT_EQ("= HandleMenuEvent -> S_OK result 2", lines[5]);
    }
}

TEST_F(PlugInHost, CommandIdNotReadableIsAnUnknownCommand)
{
    const HostRun result = run("initialise\nfail MenuEvent.GetCommandId E_FAIL\nmenu 2073\n");
    const Lines lines = result.step("menu 2073");
    ASSERT_EQ(6u, lines.size()) << result.dump();
    EXPECT_EQ("call MenuEvent.GetCommandId() -> E_FAIL injected", lines[1]);
    EXPECT_EQ("= HandleMenuEvent -> S_OK result 2", lines[5]);
    EXPECT_TRUE(result.starting("box ").empty());
}

TEST_F(PlugInHost, NotificationsAndUnhandledMouseEventsAnswerOne)
{
    const HostRun result = run("initialise\nnotify graphic\nnotify overlay\nnotify group\nnotify view\n"
                               "move 10 10\nclick 10 10\nmouse 4\n");
    EXPECT_EQ(Lines{"= HandleGraphicEvent -> S_OK result 1"}, result.step("notify graphic"));
    EXPECT_EQ(Lines{"= HandleOverlayEvent -> S_OK result 1"}, result.step("notify overlay"));
    EXPECT_EQ(Lines{"= HandleGroupEvent -> S_OK result 1"}, result.step("notify group"));
    EXPECT_EQ(Lines{"= HandleViewEvent -> S_OK result 1"}, result.step("notify view"));
    // Without a marking the mouse belongs to the host: no item states, answer 1.
    EXPECT_EQ((Lines{"call MouseEvent.GetEventType() -> S_OK 1", "= HandleMouseEvent -> S_OK result 1"}),
              result.step("move 10 10"));
    EXPECT_EQ((Lines{"call MouseEvent.GetEventType() -> S_OK 2", "= HandleMouseEvent -> S_OK result 1"}),
              result.step("click 10 10"));
    EXPECT_EQ((Lines{"call MouseEvent.GetEventType() -> S_OK 4", "= HandleMouseEvent -> S_OK result 1"}),
              result.step("mouse 4"));
}

TEST_F(PlugInHost, PlugInInformation)
{
    const HostRun result = run("info\nshow info\ninfo null\n");
    const Lines expected = {
        "call PlugInInfoClass.Create() -> S_OK",
        "call PlugInInfo.SetName(\"undefined Plugin\") -> S_OK",
        "call PlugInInfo.SetLegalText(\"Geogrid(R) PlugIn interface - Copyright (C) EADS Deutschland GmbH\") -> S_OK",
        "call PlugInInfo.SetDescription(\"This PlugIn tests the Geogrid(R) for Windows PlugIn interface\") -> S_OK",
        "call PlugInInfo.SetNumbers(1, 0) -> S_OK",
        "= GetPlugInInfo -> S_OK info object",
    };
    EXPECT_EQ(expected, result.step("info")) << result.dump();
    // Without an out parameter the object is made but not filled.
    EXPECT_EQ((Lines{"call PlugInInfoClass.Create() -> S_OK", "= GetPlugInInfo -> S_FALSE"}), result.step("info null"));
}

TEST_F(PlugInHost, PlugInInformationFailuresAreTheCallsResult)
{
    const HostRun result = run("fail PlugInInfo.SetDescription E_OUTOFMEMORY\ninfo\n"
                               "pass PlugInInfo.SetDescription\nfail PlugInInfoClass.Create E_ACCESSDENIED\ninfo\n"
                               "pass PlugInInfoClass.Create\noffer info-class no\ninfo\n");
    const Lines first = result.step("info", 1);
    ASSERT_FALSE(first.empty()) << result.dump();
    EXPECT_EQ("call PlugInInfo.SetDescription(\"This PlugIn tests the Geogrid(R) for Windows PlugIn interface\") -> "
              "E_OUTOFMEMORY injected",
              first[first.size() - 2]);
    EXPECT_TRUE(result.step("info", 1).back() == "= GetPlugInInfo -> E_OUTOFMEMORY no info object");
    EXPECT_EQ((Lines{"call PlugInInfoClass.Create() -> E_ACCESSDENIED injected",
                     "= GetPlugInInfo -> E_ACCESSDENIED no info object"}),
              result.step("info", 2));
    const Lines third = result.step("info", 3);
    ASSERT_EQ(1u, third.size()) << result.dump();
    EXPECT_EQ(0u, third[0].find("= GetPlugInInfo -> ")) << third[0];
    EXPECT_EQ(std::string::npos, third[0].find("S_OK"));
    EXPECT_EQ(std::string::npos, third[0].find("S_FALSE"));
}

TEST_F(PlugInHost, TerminateRemovesTheMenuStoresTheShutdownTimeAndReleasesTheHost)
{
    const std::time_t before = std::time(nullptr);
    const HostRun result = run("show objects\ninitialise\nterminate\nshow menu\nshow settings\nshow objects\n");
    const std::time_t after = std::time(nullptr);
    const Lines terminate = result.step("terminate");
    ASSERT_EQ(3u, terminate.size()) << result.dump();
    EXPECT_EQ("call Menu2.DeleteMenu(100) -> S_OK", terminate[0]);
    const std::regex setting(
        "call Application\\.WriteSetting\\(\"MyPlugin\", \"ShutdownTime\", \"(\\d\\d)\\.(\\d\\d)\\.(\\d{4}) "
        "(\\d\\d):(\\d\\d):(\\d\\d)\"\\) -> S_OK");
    std::smatch match;
    ASSERT_TRUE(std::regex_match(terminate[1], match, setting)) << terminate[1];
    std::tm stored = {};
    stored.tm_mday = std::stoi(match[1]);
    stored.tm_mon = std::stoi(match[2]) - 1;
    stored.tm_year = std::stoi(match[3]) - 1900;
    stored.tm_hour = std::stoi(match[4]);
    stored.tm_min = std::stoi(match[5]);
    stored.tm_sec = std::stoi(match[6]);
    stored.tm_isdst = -1;
    const std::time_t storedTime = std::mktime(&stored);
    EXPECT_GE(storedTime, before - 1);
    EXPECT_LE(storedTime, after + 1);
    EXPECT_EQ("= Terminate -> S_OK", terminate[2]);

    EXPECT_EQ(std::string::npos, [&] {
        std::string all;
        for (const std::string& line : result.step("show menu"))
            all += line;
        return all.find("Mobile");
    }()) << result.dump();
    const Lines settings = result.step("show settings");
    ASSERT_EQ(1u, settings.size());
    EXPECT_EQ(0u, settings[0].find("setting [MyPlugin] ShutdownTime = \""));
    // Every host object that the plug-in took is given back.
    EXPECT_EQ(result.step("show objects", 1), result.step("show objects", 2));
}

TEST_F(PlugInHost, PlugInReleasedWhileTheHostHoldsAFactory)
{
    const HostRun result = run("factory hold\ncanunload\ninitialise\nterminate\nrelease\ncanunload\n"
                               "factory release\ncanunload\n");
    EXPECT_EQ(Lines{"factory held -> S_OK"}, result.step("factory hold"));
    EXPECT_EQ(Lines{"DllCanUnloadNow -> S_FALSE"}, result.step("canunload", 1));
    EXPECT_EQ(Lines{"plug-in released, count 0"}, result.step("release"));
    EXPECT_EQ(Lines{"DllCanUnloadNow -> S_FALSE"}, result.step("canunload", 2)) << result.dump();
    EXPECT_EQ(Lines{"factory released"}, result.step("factory release"));
    EXPECT_EQ(Lines{"DllCanUnloadNow -> S_OK"}, result.step("canunload", 3));
}

TEST_F(PlugInHost, SecondInitialiseAndReleaseWithoutTerminate)
{
    const auto hasLine = [](const Lines& lines, const std::string& start) {
        return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) { return line.find(start) == 0; });
    };
    const std::string marked = "initialise\ninitialise\nmenu 2070\nclick 100 50\nclick 200 150\n";
    const HostRun result = run(marked + "release\nshow menu\nshow graphics\ncanunload\n");
    // The second initialise builds no second menu.
    EXPECT_EQ((Lines{"debug \"Initialize: already initialised\"", "= Initialize -> S_OK"}), result.step("initialise", 2))
        << result.dump();
    // Released without terminate: the marking is detached and the popup deleted before the object goes.
    const Lines released = result.step("release");
    EXPECT_TRUE(hasLine(released, "call Graphic.Detach() -> S_OK")) << result.dump();
    EXPECT_TRUE(hasLine(released, "call Menu2.DeleteMenu(100) -> S_OK")) << result.dump();
    for (const std::string& line : result.step("show menu"))
        EXPECT_EQ(std::string::npos, line.find("Mobile")) << line;
    EXPECT_NE(std::string::npos, result.step("show graphics").at(0).find("not attached released"));
    EXPECT_EQ(Lines{"DllCanUnloadNow -> S_OK"}, result.step("canunload"));

    // A graphic that stays attached in the host keeps the DLL loaded.
    const HostRun stuck = run(marked + "fail Graphic.Detach E_FAIL\nrelease\ncanunload\n");
    EXPECT_TRUE(hasLine(stuck.step("release"), "call Graphic.Detach() -> E_FAIL")) << stuck.dump();
    EXPECT_EQ(Lines{"DllCanUnloadNow -> S_FALSE"}, stuck.step("canunload")) << stuck.dump();
}

TEST_F(PlugInHost, TwoPlugInObjectsEachKeepTheDllLoaded)
{
    const HostRun result = run("factory hold\ncreate\nfactory release\ncanunload\nrelease\ncanunload\n");
    EXPECT_EQ(Lines{"DllCanUnloadNow -> S_FALSE"}, result.step("canunload", 1)) << result.dump();
    EXPECT_EQ(Lines{"DllCanUnloadNow -> S_OK"}, result.step("canunload", 2)) << result.dump();
}

// The module-state switch of every host call makes the DLL's own string resources (the menu texts)
// the ones in effect, whatever the file's letter case.
TEST(PlugInModuleState, UpperCaseFileNameStillFindsItsResources)
{
    plugintest::Installation installation("QUOVAN.DLL");
    plugintest::RegistryLock lock;
    const HostRun result = plugintest::runHost(installation, "initialise\n");
    EXPECT_TRUE(result.has("call Menu.InsertPopup(1, 100, 8, \"&Mobile\") -> S_OK")) << result.dump();
    EXPECT_TRUE(result.has("call Menu.AddItem(7, 100, \"\", 2073, \"Über Quovan Plugin\") -> S_OK"));
}

// Loaded from a file that is not named ".dll", the plug-in does not switch: the host program's
// resources are in effect, and they hold no menu texts.
TEST(PlugInModuleState, NoSwitchOutsideADll)
{
    plugintest::Installation installation("quovan.plg");
    plugintest::RegistryLock lock;
    ASSERT_EQ(0, testsupport::runAndWait("regsvr32.exe /s " + testsupport::quoteArgument(installation.plugInPath()),
                                         60000));
    const HostRun result = plugintest::runHost(installation, "initialise\n", {}, "--no-register");
    EXPECT_TRUE(result.has("call Menu.InsertPopup(1, 100, 8, \"\") -> S_OK")) << result.dump();
    EXPECT_TRUE(result.has("call Menu.AddItem(7, 100, \"\", 2069, \"\") -> S_OK"));
}

} // namespace
