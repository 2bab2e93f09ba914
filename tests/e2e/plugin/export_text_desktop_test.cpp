// What the desktop double receives for an export: the host's maps with their names, files, corners
// and scales, the area from the marking, and the limits of the request and of its text.

#include "desktop_test_support.h"
#include "stringex.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using desktoptest::kAreaPart;
using desktoptest::kMarkArea;
using plugintest::HostRun;
using Lines = std::vector<std::string>;

const std::string kHead = "name=druvexportmapex;";
const char* const kSquareCorners = "10 47 11 47 11 46 10 46";
const char* const kSquareCornerText = "10.000000@47.000000@11.000000@47.000000@11.000000@46.000000@10.000000@46.000000";

class ExportText : public desktoptest::ExportTest {
protected:
    // Runs the host script (maps and the like), the marking and the export with a desktop double
    // already running; returns the export command that the double received.
    std::string exportWith(const std::string& script, const std::string& marking = kMarkArea)
    {
        m_Settings.install(doubleCommand());
        const auto desktop = runDouble("");
        m_Run = run(script + marking + "menu 2072\n");
        EXPECT_TRUE(m_Run.boxes.empty()) << m_Run.dump();
        const Lines commands = received();
        const auto found = std::find_if(commands.begin(), commands.end(), [](const std::string& command) {
            return command.compare(0, kHead.size(), kHead) == 0;
        });
        EXPECT_NE(commands.end(), found) << m_Run.dump();
        return found == commands.end() ? std::string() : *found;
    }

    static std::string mapLine(const std::string& name, const std::string& path, const std::string& scale = "50000",
                               const std::string& corners = kSquareCorners)
    {
        return "map \"" + name + "\" \"" + path + "\" " + scale + " " + corners + "\n";
    }

    HostRun m_Run;
};

TEST_F(ExportText, NoMapsPutsTwoSemicolonsTogether)
{
    EXPECT_EQ(kHead + ";" + kAreaPart, exportWith(""));
    EXPECT_TRUE(m_Run.has("debug \"Coordinate: 47.950000,10.100000    47.850000,10.200000\"")) << m_Run.dump();
}

TEST_F(ExportText, MapsInHostOrderWithFileCornersAndScale)
{
    const std::string command = exportWith(mapLine("Tirol", "C:\\Karten\\tirol.dat", "50000",
                                                   "10.5 47.25 11.125 47.25 11.125 46.5 10.5 46.5") +
                                           mapLine("Wien", "C:\\Karten\\wien", "25000") +
                                           mapLine("Linz", "C:\\Karten.v2\\linz") + mapLine("Graz", "D:/maps.x/graz."));
    EXPECT_EQ(kHead +
                  "map0=Tirol@C:\\Karten\\tirol.mph@10.500000@47.250000@11.125000@47.250000@11.125000@46.500000@"
                  "10.500000@46.500000@50000;"
                  "map1=Wien@C:\\Karten\\wien.mph@" + kSquareCornerText + "@25000;"
                  "map2=Linz@C:\\Karten.v2\\linz.mph@" + kSquareCornerText + "@50000;"
                  "map3=Graz@D:/maps.x/graz.mph@" + kSquareCornerText + "@50000;" + kAreaPart,
              command);
}

TEST_F(ExportText, AtInNameAndFileBecomesABlank)
{
    const std::string command = exportWith(mapLine("Nord@Tirol@", "C:\\K@rten\\nord.dat"));
    EXPECT_EQ(kHead + "map0=Nord Tirol @C:\\K rten\\nord.mph@" + kSquareCornerText + "@50000;" + kAreaPart, command);
}

TEST_F(ExportText, AtMost64MapsAndTextsCutAt255Characters)
{
    const std::string longName(300, 'N');
    const std::string longPath = "C:\\" + std::string(300, 'p') + ".dat";
    std::string maps = mapLine(longName, longPath);
    for (int i = 1; i < 70; ++i)
        maps += mapLine(strell::formatString("Karte%02d", i), strell::formatString("C:\\Karten\\k%02d.dat", i));
    const std::string command = exportWith(maps);

    const std::string first = "map0=" + longName.substr(0, 255) + "@" + ("C:\\" + std::string(300, 'p')).substr(0, 255) +
                              "@" + kSquareCornerText + "@50000;";
    EXPECT_EQ(0u, command.find(kHead + first));
    EXPECT_NE(std::string::npos, command.find(";map63=Karte63@C:\\Karten\\k63.mph@"));
    EXPECT_EQ(std::string::npos, command.find("map64="));
    EXPECT_EQ(64, std::count(command.begin(), command.end(), ';') - 2);
    // The 65th map is seen but not read.
    EXPECT_TRUE(m_Run.has("debug \"More than 64 maps: the first 64 are exported\"")) << m_Run.dump();
    EXPECT_TRUE(m_Run.has("call Map.GetScale(map 64) -> S_OK 50000"));
    EXPECT_TRUE(m_Run.starting("call Map.GetName(map 65)").empty());
}

TEST_F(ExportText, EveryFormattedPieceHoldsAtMost2047Characters)
{
    const std::string command = exportWith(mapLine("Gross", "C:\\g.dat", "5", "1e300 1e300 1e300 1e300 1e300 1e300 1e300 1e300"));
    const std::string number = strell::formatString("%f", 1e300);
    std::string corners = number;
    for (int i = 1; i < 8; ++i)
        corners += "@" + number;
    const std::string mapText = ("Gross@C:\\g.mph@" + corners.substr(0, 2047) + "@5").substr(0, 2047);
    const std::string entry = ("map0=" + mapText).substr(0, 2047);
    EXPECT_EQ(kHead + entry + ";" + kAreaPart, command);
}

TEST_F(ExportText, NumbersKeepTheirDecimalPointUnderAHostLocaleWithDecimalComma)
{
    // Set after the map, whose numbers the host reads in its own locale.
    const std::string command =
        exportWith(mapLine("Tirol", "C:\\tirol.dat", "50000", "10.5 47 11 47 11 46 10 46") + "locale German_Germany.1252\n");
    // The host's own formatting has switched to the comma ...
    ASSERT_TRUE(m_Run.has("debug \"Coordinate: 47,950000,10,100000    47,850000,10,200000\"")) << m_Run.dump();
    // ... the desktop program still reads points.
    EXPECT_EQ(kHead + "map0=Tirol@C:\\tirol.mph@10.500000@47.000000@11.000000@47.000000@11.000000@46.000000@10.000000@"
                      "46.000000@50000;" + kAreaPart,
              command);
}

TEST_F(ExportText, DraggedFromBottomRightToTopLeft)
{
    EXPECT_EQ(kHead + ";" + kAreaPart, exportWith("", "menu 2070\nclick 200 150\nmove 150 100\nclick 100 50\n"));
}

TEST_F(ExportText, TwoClicksOnTheSameSpotGiveTheFirstPointTwice)
{
    EXPECT_EQ(kHead + ";area=10.100000@47.950000@10.100000@47.950000;",
              exportWith("", "menu 2070\nclick 100 50\nclick 100 50\n"));
}

TEST_F(ExportText, AllCornersAtTheViewOriginGiveTheFirstPointTwice)
{
    EXPECT_EQ(kHead + ";area=10.000000@48.000000@10.000000@48.000000;", exportWith("", "menu 2070\nclick 0 0\nclick 0 0\n"));
}

TEST_F(ExportText, HostErrorWhileCollectingKeepsTheAreaAndSendsNothing)
{
    m_Settings.install(doubleCommand());
    const auto desktop = runDouble("");
    const HostRun result = run(mapLine("Tirol", "C:\\tirol.dat") + kMarkArea +
                               "fail Map.GetDataPath S_FALSE\nmenu 2072\nshow menu\n");
    ASSERT_EQ(1u, result.boxes.size()) << result.dump();
    EXPECT_EQ("Error", result.boxes[0].caption);
    EXPECT_EQ("Unable to get the path of the map data", result.boxes[0].text);
    EXPECT_EQ(Lines{"name=druvversion"}, received());
    const Lines menu = result.step("show menu");
    EXPECT_NE(menu.end(), std::find(menu.begin(), menu.end(), "    2072 \"&Exportieren\" selectable")) << result.dump();
}

} // namespace
