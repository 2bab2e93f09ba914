// The host's error table and the plug-in's error type, without a host.

#include "com/debug_out.h"
#include "host/error_table.h"
#include "host/geo_plugin_exception.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {

std::vector<int> tableCodes()
{
    std::vector<int> codes;
    for (const CGeoErrorEntry* entry = g_GeoErrorTable; entry->code != 0; ++entry)
        codes.push_back(entry->code);
    return codes;
}

TEST(ErrorTable, Has313EntriesFrom2To317Without302And303And307)
{
    const std::vector<int> codes = tableCodes();
    EXPECT_EQ(313u, codes.size());
    EXPECT_EQ(313u, geoErrorTableSize());
    const std::set<int> distinct(codes.begin(), codes.end());
    EXPECT_EQ(codes.size(), distinct.size());
    for (int code = 2; code <= 317; ++code) {
        const bool missing = code == 302 || code == 303 || code == 307;
        EXPECT_EQ(!missing, distinct.count(code) == 1) << code;
    }
    EXPECT_EQ(nullptr, g_GeoErrorTable[313].text);
}

TEST(ErrorTable, KeepsTheHostsOrderWith217After220)
{
    const std::vector<int> codes = tableCodes();
    const std::vector<int> expected = {214, 215, 216, 218, 219, 220, 217, 221, 222};
    const auto at = std::find(codes.begin(), codes.end(), 214);
    ASSERT_NE(codes.end(), at);
    EXPECT_EQ(expected, std::vector<int>(at, at + expected.size()));
    EXPECT_EQ(2, codes.front());
    EXPECT_EQ(317, codes.back());
}

TEST(ErrorTable, TextsOfTheWrappersCodes)
{
    const std::pair<int, const char*> expected[] = {
        {2, "Menu can't be added"},
        {3, "Item can't be added to the menu"},
        {7, "Document can't be attached"},
        {11, "Coordinates can't be converted to the chosen system"},
        {17, "Unable to create a new line"},
        {18, "Unable to create a new menu"},
        {31, "Unable to delete the menu of the PlugIn"},
        {32, "Document can't be detached"},
        {35, "Unable to get the available maps"},
        {47, "Unable to get the coordinates"},
        {54, "Unable to get the document"},
        {85, "Unable to get the menu"},
        {156, "Unable to get the coordinates of the map's corners"},
        {157, "Unable to get the map name"},
        {158, "Unable to get the path of the map data"},
        {160, "Unable to get the map scale"},
        {166, "Variable not initialised"},
        {183, "Unable to set the color of the graphic"},
        {185, "Unable to set the coordinates"},
        {191, "Unable to set the flag"},
        {199, "Unable to set the menu item state"},
        {203, "Unable to set the message box"},
        {212, "Unable to set the size of the pen"},
        {215, "Unable to set the string at the specified section"},
    };
    for (const auto& entry : expected) {
        const char* text = findGeoErrorText(entry.first);
        ASSERT_NE(nullptr, text) << entry.first;
        EXPECT_STREQ(entry.second, text) << entry.first;
    }
}

TEST(ErrorTable, TextsKeptAsTheHostHasThem)
{
    EXPECT_STREQ("Tactical signs are not supported", findGeoErrorText(8));
    EXPECT_STREQ("Tactical signs are not supported", findGeoErrorText(9));
    EXPECT_STREQ("Unable to ZOOM ", findGeoErrorText(28));
    EXPECT_STREQ(" Unable to get number of rectify coordinates", findGeoErrorText(148));
    EXPECT_STREQ("Unable to set the text", findGeoErrorText(217));
    ASSERT_NE(nullptr, findGeoErrorText(265));
    EXPECT_STREQ("", findGeoErrorText(265));
    EXPECT_STREQ("Couldn't get display order of geographic coordinate in status bar!", findGeoErrorText(294));
    EXPECT_STREQ("Graphic exception", findGeoErrorText(317));
    for (int code : {0, 1, 302, 303, 307, 318, -3})
        EXPECT_EQ(nullptr, findGeoErrorText(code)) << code;
}

TEST(ErrorTable, LookupScansFromTheFirstEntryAndTheFirstMatchWins)
{
    const CGeoErrorEntry table[] = {{5, "first"}, {7, "seven"}, {5, "second"}, {0, nullptr}, {9, "behind the end"}};
    EXPECT_STREQ("first", findGeoErrorText(table, 5));
    EXPECT_STREQ("seven", findGeoErrorText(table, 7));
    EXPECT_EQ(nullptr, findGeoErrorText(table, 9));
}

TEST(GeoPlugInException, FreshValue)
{
    const CGeoPlugInException error;
    EXPECT_EQ(1, error.errorCode());
    EXPECT_EQ(1, error.result());
    EXPECT_EQ("", error.message());
    EXPECT_EQ(E_FAIL, error.defaultResult());
}

TEST(GeoPlugInException, TableTextWhenTheHostSaidFalseOrWasNotCalled)
{
    EXPECT_EQ("Item can't be added to the menu", CGeoPlugInException(3, S_FALSE).getMessage());
    EXPECT_EQ("Variable not initialised", CGeoPlugInException(166, S_FALSE).getMessage());
    EXPECT_EQ("", CGeoPlugInException(265, S_FALSE).getMessage());
    EXPECT_EQ("Unknown error", CGeoPlugInException(302, S_FALSE).getMessage());
    EXPECT_EQ("Unknown error", CGeoPlugInException(4711, S_FALSE).getMessage());
    // The table wins over the thrower's own message when the host said S_FALSE.
    EXPECT_EQ("Menu can't be added", CGeoPlugInException(2, S_FALSE, "own").getMessage());
}

TEST(GeoPlugInException, SystemTextForOtherResults)
{
    char expected[400] = {};
    ASSERT_NE(0u, FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                 static_cast<DWORD>(E_OUTOFMEMORY), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                 expected, sizeof expected, nullptr));
    EXPECT_EQ(expected, CGeoPlugInException(3, E_OUTOFMEMORY).getMessage());
    EXPECT_NE("Item can't be added to the menu", CGeoPlugInException(3, E_OUTOFMEMORY).getMessage());
    // The thrower's own message comes before the system text.
    EXPECT_EQ("own text", CGeoPlugInException(3, E_OUTOFMEMORY, "own text").getMessage());
    // Code and result both 1: the result is taken as a system error code.
    char invalidFunction[400] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, 1,
                   MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), invalidFunction, sizeof invalidFunction, nullptr);
    ASSERT_STRNE("", invalidFunction);
    EXPECT_EQ(invalidFunction, CGeoPlugInException(1, S_FALSE).getMessage());
}

TEST(GeoPlugInException, ResultWithoutSystemTextStillSaysWhatHappened)
{
    EXPECT_EQ("Unknown error (0x80004003)", CGeoPlugInException(203, E_POINTER).getMessage());
    EXPECT_EQ("Unknown error (0xDEADBEEF)", CGeoPlugInException(203, static_cast<HRESULT>(0xDEADBEEF)).getMessage());
}

TEST(GeoPlugInException, CheckedResults)
{
    EXPECT_NO_THROW(checkHostResult(S_OK, 3));
    EXPECT_NO_THROW(checkHostResult(2, 3));
    for (HRESULT failing : {S_FALSE, E_FAIL, E_OUTOFMEMORY}) {
        try {
            checkHostResult(failing, 199);
            ADD_FAILURE() << "no exception for " << failing;
        } catch (const CGeoPlugInException& error) {
            EXPECT_EQ(199, error.errorCode());
            EXPECT_EQ(failing, error.result());
        }
    }
    try {
        requireHostInterface(nullptr);
        ADD_FAILURE() << "no exception for a missing interface";
    } catch (const CGeoPlugInException& error) {
        EXPECT_EQ(166, error.errorCode());
        EXPECT_EQ(S_FALSE, error.result());
        EXPECT_EQ("Variable not initialised", error.getMessage());
    }
}

TEST(DebugOut, FormatsAndCutsAt2047Characters)
{
    testsupport::DebugOutputCapture capture;
    debugOut("Indecies: %d %d", 0, 2);
    debugOut("%s", std::string(3000, 'x').c_str());
    const std::vector<std::string> messages = capture.messages();
    ASSERT_EQ(2u, messages.size());
    EXPECT_EQ("Indecies: 0 2", messages[0]);
    EXPECT_EQ(std::string(2047, 'x'), messages[1]);
}

} // namespace
