// The desktop program's settings as the plug-in reads them, the export request's limits, and the
// desktop link on its own: the windows it finds and the texts it carries.

#include "desktop/desktop_link.h"
#include "desktop/desktop_settings.h"
#include "desktop_test_support.h"
#include "export/export_request.h"
#include "strell_process.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using desktoptest::DesktopSettings;
using DesktopLink = desktoptest::ExportTest;

// The desktop program's windows as the search by title and owner finds them: the titled top-level
// windows, the processes that own one without an owner window and run a program matching
// "quovan.exe", ascending by id, and their titled windows in the system's order.
strell::WindowList titleThenOwner()
{
    strell::WindowList titled;
    strell::getWindowList(titled);
    strell::filterWindowsByTitle(titled, "Quovan", false, titled);
    strell::ProcessIdList owners;
    strell::getProcessIdsOfWindows(titled, true, owners);
    strell::ProcessInfoList processes;
    strell::getProcessExeList(owners, processes);
    strell::filterProcessInfo(processes, processes, "quovan.exe", strell::FILTER_FULLPATHNAME, false, false);
    strell::WindowList windows;
    for (const strell::ProcessInfo& process : processes)
        for (HWND window : titled) {
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == process.ProcessId)
                windows.push_back(window);
        }
    return windows;
}

TEST(DesktopSettings, TextsNumbersAndEverythingElse)
{
    DesktopSettings settings;
    EXPECT_EQ("", readDesktopSetting("folder"));
    EXPECT_FALSE(isDesktopInstalled());

    settings.setText("folder", "C:\\Programme\\Quovan");
    settings.setText("startcommandline", "%ProgramFiles%\\Quovan\\quovan.exe -min", REG_EXPAND_SZ);
    settings.setNumber("number", 4294967295u);
    settings.setBytes("binary", "abc");
    settings.setBytes("multi", std::string("a\0b\0\0", 5), REG_MULTI_SZ);
    EXPECT_EQ("C:\\Programme\\Quovan", readDesktopSetting("folder"));
    EXPECT_TRUE(isDesktopInstalled());
    // Not expanded: the text as stored.
    EXPECT_EQ("%ProgramFiles%\\Quovan\\quovan.exe -min", readDesktopSetting("startcommandline"));
    EXPECT_EQ("4294967295", readDesktopSetting("number"));
    EXPECT_EQ("", readDesktopSetting("binary"));
    EXPECT_EQ("", readDesktopSetting("multi"));
    EXPECT_EQ("", readDesktopSetting("missing"));

    // A number counts as a folder; an empty text does not.
    settings.setNumber("folder", 0);
    EXPECT_TRUE(isDesktopInstalled());
    settings.setText("folder", "");
    EXPECT_FALSE(isDesktopInstalled());
}

TEST(DesktopSettings, TextsWithoutTerminatorAndAtTheBufferLimit)
{
    DesktopSettings settings;
    settings.setBytes("folder", "C:\\Quovan", REG_SZ);
    EXPECT_EQ("C:\\Quovan", readDesktopSetting("folder"));

    const std::string longest(1023, 'q');
    settings.setText("folder", longest);
    EXPECT_EQ(longest, readDesktopSetting("folder"));
    // A value beyond the 1024-byte buffer is not read at all rather than cut.
    settings.setText("folder", longest + "q");
    EXPECT_EQ("", readDesktopSetting("folder"));
}

TEST(ExportRequest, FileOfAMapFromItsDataPath)
{
    EXPECT_EQ("C:\\Karten\\tirol.mph", mapFileFromDataPath("C:\\Karten\\tirol.dat"));
    EXPECT_EQ("C:\\Karten\\tirol.mph", mapFileFromDataPath("C:\\Karten\\tirol"));
    EXPECT_EQ("C:\\Karten\\tirol.v2.mph", mapFileFromDataPath("C:\\Karten\\tirol.v2.dat"));
    EXPECT_EQ("C:\\Karten.v2\\tirol.mph", mapFileFromDataPath("C:\\Karten.v2\\tirol"));
    EXPECT_EQ("D:/karten.x/tirol.mph", mapFileFromDataPath("D:/karten.x/tirol"));
    EXPECT_EQ("tirol.mph", mapFileFromDataPath("tirol."));
    EXPECT_EQ(".mph", mapFileFromDataPath(""));
}

TEST(ExportRequest, TextFieldsHoldAtMost255Characters)
{
    CMapInfo map;
    std::memset(map.name, 'x', sizeof map.name);
    setMapText(map.name, std::string(300, 'n'));
    EXPECT_EQ(std::string(255, 'n'), std::string(map.name));
    setMapText(map.name, "Tirol");
    EXPECT_STREQ("Tirol", map.name);
}

TEST(ExportRequest, HoldsAtMost64Maps)
{
    CExportRequest request;
    CMapInfo map;
    for (int i = 0; i < CExportRequest::kMaxMaps; ++i) {
        map.scale = i;
        EXPECT_TRUE(request.add(map));
    }
    EXPECT_TRUE(request.full());
    map.scale = 99;
    EXPECT_FALSE(request.add(map));
    EXPECT_EQ(64, request.count);
    EXPECT_EQ(63, request.maps[63].scale);
}

TEST_F(DesktopLink, FindsWhatTheSearchByTitleAndOwnerFinds)
{
    // Two desktop programs, one of them with a window of another title, and another program with
    // windows titled as the desktop program's are.
    const auto first = runDouble("--windows 3");
    const auto second = runDouble("--windows 2");
    const auto untitled = runDouble("--title Einstellungen");
    const std::string foreignProgram = file(desktoptest::kForeignProgram);
    ASSERT_TRUE(CopyFileA(desktoptest::desktopDouble().c_str(), foreignProgram.c_str(), FALSE));
    const auto foreign = runDouble("--windows 2 --title \"Quovan Desktop\"", "foreign.txt", foreignProgram);

    CDesktopLink link;
    EXPECT_EQ(5u, link.windows().size());
    EXPECT_EQ(titleThenOwner(), link.windows());
}

TEST_F(DesktopLink, CarriesAnyCommandText)
{
    const auto desktop = runDouble("");
    CDesktopLink link;
    EXPECT_EQ(Delivery::Accepted, link.deliver("name=druvexportmapex;was auch immer"));
    EXPECT_EQ((std::vector<std::string>{"name=druvidle", "name=druvexportmapex;was auch immer"}), received());
}

} // namespace
