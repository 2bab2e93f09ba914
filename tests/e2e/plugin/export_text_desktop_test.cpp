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
    // boxes: how many boxes the export shows (the report of maps left out).
    std::string exportWith(const std::string& script, const std::string& marking = kMarkArea, size_t boxes = 0)
    {
        m_Settings.install(doubleCommand());
        const auto desktop = runDouble("");
        m_Run = run(script + marking + "menu 2072\n");
        EXPECT_EQ(boxes, m_Run.boxes.size()) << m_Run.dump();
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

TEST_F(ExportText, SeparatorsAndControlCharactersInNameAndFileBecomeBlanks)
{
    // Neither a forged area nor a forged map reaches the desktop program, nor a broken line.
    const std::string command =
        exportWith(mapLine("x;area=1@2@3@4;map9=y", "C:\\K@rten;a=b\\nord.dat") +
                   mapLine("Zeile\x01" "eins\tzwei\r\x1F" "drei", "C:\\Ka\x0Brten\\s\x1F" "ued.dat"));
    EXPECT_EQ(kHead + "map0=x area 1 2 3 4 map9 y@C:\\K rten a b\\nord.mph@" + kSquareCornerText + "@50000;" +
                  "map1=Zeile eins zwei  drei@C:\\Ka rten\\s ued.mph@" + kSquareCornerText + "@50000;" + kAreaPart,
              command);
}

TEST_F(ExportText, AtMost64MapsNamesCutAndTooLongPathsLeftOutWithABox)
{
    const std::string longName(300, 'N');
    // With ".mph" in place of ".dat" the first path fills its 255 characters, the second one would not fit.
    const std::string fittingPath = "C:\\" + std::string(248, 'p') + ".dat";
    const std::string tooLongPath = "C:\\" + std::string(249, 'p') + ".dat";
    std::string maps = mapLine(longName, fittingPath) + mapLine("Zulang", tooLongPath);
    for (int i = 2; i < 70; ++i)
        maps += mapLine(strell::formatString("Karte%02d", i), strell::formatString("C:\\Karten\\k%02d.dat", i));
    const std::string command = exportWith(maps, kMarkArea, 1);

    const std::string first = "map0=" + longName.substr(0, 255) + "@C:\\" + std::string(248, 'p') + ".mph@" +
                              kSquareCornerText + "@50000;map1=Karte02@";
    EXPECT_EQ(0u, command.find(kHead + first)) << command.substr(0, 600);
    EXPECT_EQ(std::string::npos, command.find("Zulang"));
    EXPECT_NE(std::string::npos, command.find(";map63=Karte64@C:\\Karten\\k64.mph@"));
    EXPECT_EQ(std::string::npos, command.find("map64="));
    // Maps beyond 64 are counted, not read; the user learns how many were left out.
    EXPECT_TRUE(m_Run.has("debug \"64 maps exported, 6 left out\"")) << m_Run.dump();
    EXPECT_TRUE(m_Run.has("call Map.GetScale(map 65) -> S_OK 50000"));
    EXPECT_TRUE(m_Run.starting("call Map.GetName(map 66)").empty());
    ASSERT_EQ(1u, m_Run.boxes.size());
    EXPECT_EQ("Information", m_Run.boxes[0].caption);
    EXPECT_EQ("Es wurden 64 Karten exportiert und 6 Karten ausgelassen.\n\nEs werden höchstens 64 Karten exportiert. "
              "Karten mit zu langem Dateipfad oder ungültigen Koordinaten werden ausgelassen.",
              m_Run.boxes[0].text);
}

TEST_F(ExportText, MapsThatWouldBeCutOrAreNotFiniteAreLeftOut)
{
    // Corners of 1e200 still fit the 2047 characters of a piece; 1e300 would be cut, inf is no number.
    const std::string command =
        exportWith(mapLine("Gross", "C:\\g.dat", "5", "1e200 1e200 1e200 1e200 1e200 1e200 1e200 1e200") +
                       mapLine("Riesig", "C:\\r.dat", "5", "1e300 1e300 1e300 1e300 1e300 1e300 1e300 1e300") +
                       mapLine("Unendlich", "C:\\u.dat", "5", "10 47 inf 47 11 46 10 46"),
                   kMarkArea, 1);
    const std::string number = strell::formatString("%f", 1e200);
    std::string corners = number;
    for (int i = 1; i < 8; ++i)
        corners += "@" + number;
    EXPECT_EQ(kHead + "map0=Gross@C:\\g.mph@" + corners + "@5;" + kAreaPart, command);
    ASSERT_EQ(1u, m_Run.boxes.size());
    EXPECT_EQ(0u, m_Run.boxes[0].text.find("Es wurde 1 Karte exportiert und 2 Karten ausgelassen.")) << m_Run.dump();
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

TEST_F(ExportText, PannedViewSendsTheTrueArea)
{
    EXPECT_EQ(kHead + ";area=9.900000@48.050000@10.100000@47.950000;",
              exportWith("", "menu 2070\nclick 100 -50\nclick -100 50\n"));
}

TEST_F(ExportText, AllCornersAtTheViewOriginGiveTheFirstPointTwice)
{
    EXPECT_EQ(kHead + ";area=10.000000@48.000000@10.000000@48.000000;", exportWith("", "menu 2070\nclick 0 0\nclick 0 0\n"));
}

TEST_F(ExportText, AreaTheHostCannotConvertIsRefusedAndNothingIsSent)
{
    // A view whose conversion yields no numbers (not a number, or infinite steps): the area marks no
    // place, as such map corners do not.
    m_Settings.install(doubleCommand());
    const auto desktop = runDouble("");
    for (const char* view : {"view nan nan 0.001\n", "view 10 48 inf\n"}) {
        const HostRun result = run(view + std::string(kMarkArea) + "menu 2072\nshow menu\n");
        ASSERT_EQ(1u, result.boxes.size()) << result.dump();
        EXPECT_EQ("Error", result.boxes[0].caption);
        EXPECT_EQ("Coordinates can't be converted to the chosen system", result.boxes[0].text);
        EXPECT_TRUE(result.starting("message ").empty()) << result.dump();
        const Lines menu = result.step("show menu");
        EXPECT_NE(menu.end(), std::find(menu.begin(), menu.end(), "    2072 \"&Exportieren\" selectable")) << view;
        // Nothing is drawn for a place that does not exist.
        EXPECT_TRUE(std::none_of(result.transcript.begin(), result.transcript.end(), [](const std::string& line) {
            return line.find("Graphic.SetCoordinates") != std::string::npos;
        })) << result.dump();
    }
    EXPECT_TRUE(received().empty());
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
