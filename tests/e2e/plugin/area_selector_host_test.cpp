// Marking the export area in the simulated host: two clicks, the magenta line that follows the
// pointer, its corners, its removal, and the errors of the host's graphics and coordinates.

#include "plugin_test_support.h"
#include "stringex.h"

#include <gtest/gtest.h>

namespace {

using plugintest::HostRun;
using Lines = std::vector<std::string>;

const Lines kStatesNoArea = {
    "call Menu.SetItemState(7, 2070, 2) -> S_OK",
    "call Menu.SetItemState(7, 2071, 4) -> S_OK",
    "call Menu.SetItemState(7, 2072, 4) -> S_OK",
};
const Lines kStatesArea = {
    "call Menu.SetItemState(7, 2070, 4) -> S_OK",
    "call Menu.SetItemState(7, 2071, 2) -> S_OK",
    "call Menu.SetItemState(7, 2072, 2) -> S_OK",
};

// The operation of a fault line such as "fail Graphic.SetColor S_FALSE" (its second word).
std::string splitOperation(const std::string& line)
{
    const size_t start = line.find(' ') + 1;
    return line.substr(start, line.find(' ', start) - start);
}

class AreaSelector : public ::testing::Test {
protected:
    HostRun run(const std::string& script)
    {
        plugintest::RegistryLock lock;
        HostRun result = plugintest::runHost(m_Installation, "initialise\n" + script);
        EXPECT_FALSE(result.timedOut);
        EXPECT_EQ(0u, result.exitCode) << result.dump();
        EXPECT_EQ("end 0", result.transcript.empty() ? "" : result.transcript.back()) << result.dump();
        return result;
    }

    static Lines last(const Lines& lines, size_t count)
    {
        return lines.size() < count ? lines : Lines(lines.end() - static_cast<std::ptrdiff_t>(count), lines.end());
    }

    static Lines debugLines(const Lines& lines)
    {
        Lines found;
        for (const std::string& line : lines)
            if (line.compare(0, 6, "debug ") == 0)
                found.push_back(line);
        return found;
    }

    plugintest::Installation m_Installation;
};

TEST_F(AreaSelector, StartCreatesTheMagentaLine)
{
    const HostRun result = run("menu 2070\nshow graphics\n");
    const Lines expected = {
        "debug \"OnMenuEvent\"",
        "call MenuEvent.GetCommandId() -> S_OK 2070",
        "call Application2.CreateGraphic(4) -> S_OK graphic 1",
        "call Graphic.SetPenSize(4) -> S_OK graphic 1",
        "call Graphic.SetColor(240, 32, 240) -> S_OK graphic 1",
        "call Graphic.SetFlagB(1) -> S_OK graphic 1",
        "call Graphic.SetFlagA(1) -> S_OK graphic 1",
        kStatesNoArea[0],
        kStatesNoArea[1],
        kStatesNoArea[2],
        "= HandleMenuEvent -> S_OK result 2",
    };
    EXPECT_EQ(expected, result.step("menu 2070")) << result.dump();
    EXPECT_EQ(Lines{"graphic 1 type 4 pen 4 colour 240,32,240 flags A=1 B=1 not attached points none"},
              result.step("show graphics"));
}

TEST_F(AreaSelector, TwoClicksMarkTheAreaAndTheLineFollowsThePointer)
{
    const HostRun result = run("menu 2070\nmove 5 5\nclick 100 50\nmove 150 80\nclick 200 150\nmove 300 300\n"
                               "show graphics\nshow menu\n");
    // Before the first click the pointer draws nothing, but the event is the plug-in's.
    Lines beforeClick = {"call MouseEvent.GetEventType() -> S_OK 1"};
    beforeClick.insert(beforeClick.end(), kStatesNoArea.begin(), kStatesNoArea.end());
    beforeClick.push_back("= HandleMouseEvent -> S_OK result 2");
    EXPECT_EQ(beforeClick, result.step("move 5 5")) << result.dump();

    const Lines firstClick = result.step("click 100 50");
    ASSERT_EQ(6u, firstClick.size()) << result.dump();
    EXPECT_EQ("call MouseEvent.GetPosition() -> S_OK view 100,50 map 10.100000,47.950000", firstClick[1]);

    const Lines moving = result.step("move 150 80");
    const Lines drawn = {
        "call Graphic.SetCoordinates(5 100,50 150,50 150,80 100,80 100,50) -> S_OK graphic 1",
        "call Graphic.Detach() -> S_OK graphic 1",
        "call Graphic.AttachToDocument(document) -> S_OK graphic 1",
    };
    EXPECT_EQ(drawn, Lines(moving.end() - 7, moving.end() - 4)) << result.dump();
    EXPECT_EQ((Lines{"debug \"Indecies: 0 2\"", "debug \"  TopLeft    : 47.950000 10.100000\"",
                     "debug \"  BottomRight: 47.920000 10.150000\""}),
              debugLines(moving));

    const Lines secondClick = result.step("click 200 150");
    EXPECT_EQ((Lines{"debug \"Indecies: 0 2\"", "debug \"  TopLeft    : 47.950000 10.100000\"",
                     "debug \"  BottomRight: 47.850000 10.200000\""}),
              debugLines(secondClick));
    // Attached once only; the final rectangle, then the states of a complete area.
    EXPECT_EQ("call Graphic.SetCoordinates(5 100,50 200,50 200,150 100,150 100,50) -> S_OK graphic 1",
              secondClick[secondClick.size() - 5]);
    Lines complete = kStatesArea;
    complete.push_back("= HandleMouseEvent -> S_OK result 2");
    EXPECT_EQ(complete, last(secondClick, 4));

    // A complete area leaves the mouse to the host.
    EXPECT_EQ((Lines{"call MouseEvent.GetEventType() -> S_OK 1", "= HandleMouseEvent -> S_OK result 1"}),
              result.step("move 300 300"));
    EXPECT_EQ(Lines{"graphic 1 type 4 pen 4 colour 240,32,240 flags A=1 B=1 attached to document 1 points 100,50 "
                    "200,50 200,150 100,150 100,50"},
              result.step("show graphics"));
    const Lines menu = result.step("show menu");
    EXPECT_NE(menu.end(), std::find(menu.begin(), menu.end(), "    2070 \"Exportbereich markieren\" greyed"));
    EXPECT_NE(menu.end(), std::find(menu.begin(), menu.end(), "    2071 \"Markierung entfernen\" selectable"));
    EXPECT_NE(menu.end(), std::find(menu.begin(), menu.end(), "    2072 \"&Exportieren\" selectable"));
}

TEST_F(AreaSelector, CornersAreTheSmallestAndLargestViewCoordinates)
{
    const HostRun result = run("menu 2070\nclick 200 150\nclick 100 50\n"
                               "menu 2070\nclick 200 50\nclick 100 150\n"
                               "menu 2070\nclick 100 50\nclick 100 50\n"
                               "menu 2070\nclick -100 -50\nclick 100 50\n"
                               "menu 2070\nclick 100 -50\nclick -100 50\n"
                               "menu 2070\nclick 60000 50000\nclick 50000 60000\n");
    const auto corners = [](const char* indices, const char* topLeft, const char* bottomRight) {
        return Lines{std::string("debug \"Indecies: ") + indices + "\"",
                     std::string("debug \"  TopLeft    : ") + topLeft + "\"",
                     std::string("debug \"  BottomRight: ") + bottomRight + "\""};
    };
    // Dragged from bottom-right to top-left.
    EXPECT_EQ(corners("2 0", "47.950000 10.100000", "47.850000 10.200000"), debugLines(result.step("click 100 50", 1)))
        << result.dump();
    // From top-right to bottom-left: the corners built from the other diagonal.
    EXPECT_EQ(corners("1 3", "47.950000 10.100000", "47.850000 10.200000"), debugLines(result.step("click 100 150")));
    // Both clicks at one place: one point for both corners.
    EXPECT_EQ(corners("0 2", "47.950000 10.100000", "47.950000 10.100000"), debugLines(result.step("click 100 50", 3)));
    // Clicks symmetric about the view's origin, as after panning: a true area, not one point.
    EXPECT_EQ(corners("0 2", "48.050000 9.900000", "47.950000 10.100000"), debugLines(result.step("click 100 50", 4)));
    EXPECT_EQ(corners("1 3", "48.050000 9.900000", "47.950000 10.100000"), debugLines(result.step("click -100 50")));
    // Far from the origin, where squares of positions no longer fit 32 bits.
    EXPECT_EQ(corners("1 3", "-2.000000 60.000000", "-12.000000 70.000000"),
              debugLines(result.step("click 50000 60000")));
    EXPECT_TRUE(result.boxes.empty());
}

TEST_F(AreaSelector, RemovingTheMarking)
{
    const HostRun result = run("menu 2070\nclick 100 50\nclick 200 150\nmenu 2071\nshow graphics\nclick 10 10\n");
    const Lines removed = result.step("menu 2071");
    ASSERT_GE(removed.size(), 6u) << result.dump();
    EXPECT_EQ("call Graphic.Detach() -> S_OK graphic 1", removed[2]);
    EXPECT_EQ(kStatesNoArea, Lines(removed.begin() + 3, removed.begin() + 6));
    EXPECT_EQ(Lines{"graphic 1 type 4 pen 4 colour 240,32,240 flags A=1 B=1 not attached released points 100,50 "
                    "200,50 200,150 100,150 100,50"},
              result.step("show graphics"));
    EXPECT_EQ("= HandleMouseEvent -> S_OK result 1", result.step("click 10 10").back());
}

TEST_F(AreaSelector, EventType4CancelsTheMarking)
{
    const HostRun result = run("menu 2070\nclick 100 50\nmove 150 80\nmouse 4\nshow graphics\nmove 160 90\n");
    Lines expected = {"call MouseEvent.GetEventType() -> S_OK 4", "call Graphic.Detach() -> S_OK graphic 1"};
    expected.insert(expected.end(), kStatesNoArea.begin(), kStatesNoArea.end());
    expected.push_back("= HandleMouseEvent -> S_OK result 2");
    EXPECT_EQ(expected, result.step("mouse 4")) << result.dump();
    EXPECT_NE(std::string::npos, result.step("show graphics").at(0).find("not attached released"));
    EXPECT_EQ("= HandleMouseEvent -> S_OK result 1", result.step("move 160 90").back());
}

TEST_F(AreaSelector, StartingAgainReplacesACompleteArea)
{
    const HostRun result = run("menu 2070\nclick 100 50\nclick 200 150\nmenu 2070\nshow graphics\n");
    const Lines restarted = result.step("menu 2070", 2);
    ASSERT_GE(restarted.size(), 4u) << result.dump();
    EXPECT_EQ("call Graphic.Detach() -> S_OK graphic 1", restarted[2]);
    EXPECT_EQ("call Application2.CreateGraphic(4) -> S_OK graphic 2", restarted[3]);
    EXPECT_EQ(kStatesNoArea, Lines(restarted.end() - 4, restarted.end() - 1));
    const Lines graphics = result.step("show graphics");
    ASSERT_EQ(2u, graphics.size());
    EXPECT_NE(std::string::npos, graphics[0].find("released"));
    EXPECT_EQ("graphic 2 type 4 pen 4 colour 240,32,240 flags A=1 B=1 not attached points none", graphics[1]);
}

TEST_F(AreaSelector, ShutdownRemovesTheMarking)
{
    const HostRun result = run("menu 2070\nclick 100 50\nclick 200 150\nterminate\nshow graphics\n");
    EXPECT_EQ("call Graphic.Detach() -> S_OK graphic 1", result.step("terminate").at(0)) << result.dump();
    EXPECT_NE(std::string::npos, result.step("show graphics").at(0).find("not attached released"));
}

TEST_F(AreaSelector, WithoutTheSecondApplicationInterfaceTheGraphicIsMadeFromTheHostsClass)
{
    plugintest::RegistryLock lock;
    const HostRun result = plugintest::runHost(
        m_Installation, "offer application2 no\ninitialise\nmenu 2070\nfail GraphicClass.Create S_FALSE\nmenu 2070\n");
    const Lines made = result.step("menu 2070", 1);
    ASSERT_GE(made.size(), 3u) << result.dump();
    EXPECT_EQ("call GraphicClass.Create() -> S_OK", made[2]);
    EXPECT_EQ("call Graphic.SetPenSize(4) -> S_OK graphic 1", made[3]);
    ASSERT_EQ(1u, result.boxes.size()) << result.dump();
    EXPECT_EQ("Unable to create a new line", result.boxes[0].text);
}

struct SetupFault {
    const char* script;
    const char* text;
};

TEST_F(AreaSelector, SetupErrorsAreShown)
{
    const SetupFault faults[] = {
        {"fail Application2.CreateGraphic S_FALSE", "Unable to create a new line"},
        {"null Application2.CreateGraphic", "Unable to create a new line"},
        {"fail Graphic.SetPenSize S_FALSE", "Unable to set the size of the pen"},
        {"fail Graphic.SetColor S_FALSE", "Unable to set the color of the graphic"},
        {"fail Graphic.SetFlagB S_FALSE", "Unable to set the flag"},
        {"fail Graphic.SetFlagA S_FALSE", "Unable to set the flag"},
    };
    std::string script;
    for (const SetupFault& fault : faults)
        script += std::string(fault.script) + "\nmenu 2070\npass " + splitOperation(fault.script) + "\n";
    const HostRun result = run(script);
    ASSERT_EQ(sizeof faults / sizeof faults[0], result.boxes.size()) << result.dump();
    for (size_t i = 0; i < result.boxes.size(); ++i) {
        EXPECT_EQ("Error", result.boxes[i].caption);
        EXPECT_EQ(faults[i].text, result.boxes[i].text) << faults[i].script;
    }
}

TEST_F(AreaSelector, GraphicWithoutItsRequiredInterfacesIsNotALine)
{
    const HostRun result = run("offer graphic-flags no\nmenu 2070\nclick 10 10\n");
    ASSERT_EQ(1u, result.boxes.size()) << result.dump();
    EXPECT_EQ("Unknown error (0x80004002)", result.boxes[0].text);
    EXPECT_EQ("= HandleMouseEvent -> S_OK result 1", result.step("click 10 10").back());
}

TEST_F(AreaSelector, ErrorsWhileMovingAreSilentAndShownForTheSecondClick)
{
    const HostRun result = run("menu 2070\nclick 100 50\nfail Graphic.SetCoordinates S_FALSE\nmove 150 80\nmove 160 90\n"
                               "click 200 150\nshow menu\n");
    ASSERT_EQ(1u, result.boxes.size()) << result.dump();
    EXPECT_EQ("Unable to set the coordinates", result.boxes[0].text);
    EXPECT_EQ("= HandleMouseEvent -> S_OK result 2", result.step("move 150 80").back());
    const Lines click = result.step("click 200 150");
    EXPECT_EQ("box plugin [Error] \"Unable to set the coordinates\"", click[click.size() - 5]);
    // The clicks are counted: the area counts as complete.
    EXPECT_EQ(kStatesArea, Lines(click.end() - 4, click.end() - 1));
}

struct UpdateFault {
    const char* script;
    const char* text;
};

TEST_F(AreaSelector, ErrorsOfTheFinalUpdate)
{
    const UpdateFault faults[] = {
        {"fail Application.GetCoordinates S_FALSE", "Unable to get the coordinates"},
        {"fail Application.GetActiveDocument E_ACCESSDENIED", nullptr},
        {"document none", "Document can't be attached"},
        {"fail Coordinates.MapToView S_FALSE", "Coordinates can't be converted to the chosen system"},
        {"fail Coordinates.ViewToMap S_FALSE", "Coordinates can't be converted to the chosen system"},
        {"offer coordinates2 no", "Variable not initialised"},
        {"fail Graphic.AttachToDocument S_FALSE", "Document can't be attached"},
    };
    std::string script;
    for (const UpdateFault& fault : faults)
        script += "menu 2070\nclick 100 50\n" + std::string(fault.script) + "\nclick 200 150\npass " +
                  splitOperation(fault.script) + "\ndocument open\noffer coordinates2 yes\n";
    const HostRun result = run(script);
    ASSERT_EQ(sizeof faults / sizeof faults[0], result.boxes.size()) << result.dump();
    char accessDenied[400] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   static_cast<DWORD>(E_ACCESSDENIED), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), accessDenied,
                   sizeof accessDenied, nullptr);
    for (size_t i = 0; i < result.boxes.size(); ++i) {
        // The driver reads the box's text as shown, without a trailing line break.
        const std::string expected = faults[i].text ? faults[i].text : strell::trimRight(accessDenied);
        EXPECT_EQ(expected, strell::trimRight(result.boxes[i].text)) << faults[i].script;
        EXPECT_EQ("Error", result.boxes[i].caption);
    }
}

TEST_F(AreaSelector, AttachingIsRepeatedUntilItSucceeds)
{
    const HostRun result = run("menu 2070\nclick 100 50\nfail Graphic.AttachToDocument E_FAIL 1\nmove 120 70\n"
                               "move 130 80\nclick 200 150\nshow graphics\n");
    EXPECT_TRUE(result.boxes.empty()) << result.dump();
    const auto attaching = [&](const std::string& step) {
        Lines calls;
        for (const std::string& line : result.step(step))
            if (line.find("Graphic.AttachToDocument") != std::string::npos)
                calls.push_back(line);
        return calls;
    };
    EXPECT_EQ(Lines{"call Graphic.AttachToDocument(document) -> E_FAIL injected"}, attaching("move 120 70"));
    EXPECT_EQ(Lines{"call Graphic.AttachToDocument(document) -> S_OK graphic 1"}, attaching("move 130 80"));
    EXPECT_TRUE(attaching("click 200 150").empty());
    EXPECT_NE(std::string::npos, result.step("show graphics").at(0).find("attached to document 1"));
}

TEST_F(AreaSelector, DetachErrorsAreIgnoredWhenRemoving)
{
    const HostRun result = run("menu 2070\nclick 100 50\nclick 200 150\nfail Graphic.Detach E_FAIL\nmenu 2071\n"
                               "show graphics\n");
    EXPECT_TRUE(result.boxes.empty()) << result.dump();
    EXPECT_NE(std::string::npos, result.step("show graphics").at(0).find("released"));
    const Lines removed = result.step("menu 2071");
    ASSERT_GE(removed.size(), 4u);
    EXPECT_EQ(kStatesNoArea, Lines(removed.end() - 4, removed.end() - 1));
}

} // namespace
