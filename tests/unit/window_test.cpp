// Window lists, titles, owner processes and windows of a process, with helpers that open windows.

#include "procs_test_util.h"

#include "strell_process.h"

#include <boost/regex.hpp>

#include <algorithm>
#include <set>
#include <sstream>

using namespace procstest;
using strell::WindowList;

namespace {

HelperOptions windowHelper(const std::vector<std::string>& titles, const std::string& popup = std::string())
{
    HelperOptions options = helperOptions(helperProgram());
    options.windows = titles;
    options.popup = popup;
    return options;
}

std::vector<std::string> titlesOf(const WindowList& windows)
{
    std::vector<std::string> titles;
    for (HWND window : windows)
        titles.push_back(strell::getWindowText(window));
    return titles;
}

// The titles among the windows that carry the token, sorted.
std::vector<std::string> markedTitles(const WindowList& windows, const std::string& token)
{
    std::vector<std::string> titles;
    for (const std::string& title : titlesOf(windows)) {
        if (title.find(token) != std::string::npos)
            titles.push_back(title);
    }
    std::sort(titles.begin(), titles.end());
    return titles;
}

WindowList windowsTitled(const std::string& token)
{
    WindowList windows;
    strell::getWindowList(windows);
    strell::filterWindowsByTitle(windows, token, false, windows);
    return windows;
}

} // namespace

TEST(WindowList, HoldsHelperWindowsWithTheirTitles)
{
    const std::string token = uniqueToken("wl");
    const std::string umlauts = "Fenster äöü € " + token;
    const std::string longTitle = token + std::string(3000, 'L');
    HelperProcess helper(windowHelper({"one " + token, umlauts, longTitle}, "popup " + token));

    WindowList windows = {reinterpret_cast<HWND>(1)};
    strell::getWindowList(windows);
    EXPECT_EQ(windows.front(), reinterpret_cast<HWND>(1));
    const std::vector<std::string> titles = markedTitles(windows, token);
    // Owned popups are top-level windows too; titles are read into 2048 bytes.
    EXPECT_EQ(titles, (std::vector<std::string>{umlauts, "one " + token, "popup " + token, longTitle.substr(0, 2047)}));
}

TEST(WindowList, TextOfNoWindowIsEmpty)
{
    EXPECT_EQ(strell::getWindowText(nullptr), "");
    EXPECT_EQ(strell::getWindowText(reinterpret_cast<HWND>(0x7FFFFFF0)), "");
}

TEST(FilterWindowsByTitle, SearchInvertEmptyAndInvalid)
{
    const std::string token = uniqueToken("ft");
    HelperProcess helper(windowHelper({"alpha " + token, "beta " + token, "Alpha " + token + " gamma"}));
    const WindowList marked = windowsTitled(token);
    ASSERT_EQ(marked.size(), 3u);

    WindowList out = {reinterpret_cast<HWND>(1)};
    strell::filterWindowsByTitle(marked, "^alpha", false, out);
    EXPECT_EQ(titlesOf(out), (std::vector<std::string>{"alpha " + token}));
    strell::filterWindowsByTitle(marked, "^alpha", true, out);
    EXPECT_EQ(markedTitles(out, token), (std::vector<std::string>{"Alpha " + token + " gamma", "beta " + token}));
    strell::filterWindowsByTitle(marked, "", false, out);
    EXPECT_EQ(out, marked);  // every window, in input order
    strell::filterWindowsByTitle(marked, "", true, out);
    EXPECT_TRUE(out.empty());

    out = marked;
    EXPECT_THROW(strell::filterWindowsByTitle(marked, "alpha(", false, out), boost::regex_error);
    EXPECT_EQ(out, marked);
}

TEST(ProcessIdsOfWindows, DistinctOwnersInAscendingOrder)
{
    const std::string token = uniqueToken("owner");
    HelperProcess first(windowHelper({"a " + token, "b " + token}, "p " + token));
    HelperProcess second(windowHelper({"c " + token}));
    const DWORD low = std::min(first.id(), second.id());
    const DWORD high = std::max(first.id(), second.id());

    // The higher id's windows first, the lower one's windows around them.
    WindowList windows = windowsTitled(token);
    ASSERT_EQ(windows.size(), 4u);
    std::stable_sort(windows.begin(), windows.end(), [&](HWND a, HWND b) {
        DWORD pa = 0, pb = 0;
        GetWindowThreadProcessId(a, &pa);
        GetWindowThreadProcessId(b, &pb);
        return pa == high && pb != high;
    });
    strell::ProcessIdList ids = {7};
    strell::getProcessIdsOfWindows(windows, false, ids);
    EXPECT_EQ(ids, (strell::ProcessIdList{7, low, high}));

    // The popup alone has a parent (its owner) and counts only without the top-level restriction.
    WindowList popupOnly;
    strell::filterWindowsByTitle(windows, "^p ", false, popupOnly);
    ASSERT_EQ(popupOnly.size(), 1u);
    ids.clear();
    strell::getProcessIdsOfWindows(popupOnly, true, ids);
    EXPECT_TRUE(ids.empty());
    strell::getProcessIdsOfWindows(popupOnly, false, ids);
    EXPECT_EQ(ids, (strell::ProcessIdList{first.id()}));
}

TEST(ProcessIdsOfWindows, WindowsThatAreGoneAreSkipped)
{
    const std::string token = uniqueToken("gone");
    WindowList windows;
    {
        HelperProcess helper(windowHelper({"x " + token}));
        windows = windowsTitled(token);
        ASSERT_EQ(windows.size(), 1u);
    }
    strell::ProcessIdList ids;
    strell::getProcessIdsOfWindows(windows, false, ids);
    EXPECT_TRUE(ids.empty());
}

TEST(ProcessIdsByWindowTitle, OwnersOfMatchingWindows)
{
    const std::string token = uniqueToken("bytitle");
    HelperProcess first(windowHelper({"Quovan " + token}));
    HelperProcess second(windowHelper({"Quovan " + token + " two", "other"}));
    HelperProcess third(windowHelper({"unrelated"}, "Quovan " + token + " popup"));

    strell::ProcessIdList ids;
    strell::getProcessIdsByWindowTitle("Quovan " + token, false, ids);
    EXPECT_EQ(ids, (strell::ProcessIdList{std::min(first.id(), second.id()), std::max(first.id(), second.id())}));

    ids.clear();
    strell::getProcessIdsByWindowTitle("^Quovan " + token + "$", true, ids);
    EXPECT_TRUE(std::is_sorted(ids.begin(), ids.end()));
    EXPECT_EQ(std::set<DWORD>(ids.begin(), ids.end()).size(), ids.size());
    EXPECT_TRUE(strell::isProcessIdInList(ids, second.id()));  // through its window "other"
    EXPECT_TRUE(strell::isProcessIdInList(ids, third.id()));
}

TEST(ThreadList, ThreadsOfOneProcess)
{
    HelperProcess helper(helperOptions(helperProgram()));
    strell::ThreadList threads;
    strell::getThreadList(helper.id(), threads);
    ASSERT_FALSE(threads.empty());
    for (const THREADENTRY32& thread : threads)
        EXPECT_EQ(thread.th32OwnerProcessID, helper.id());

    threads.clear();
    strell::getThreadList(GetCurrentProcessId(), threads);
    EXPECT_TRUE(std::any_of(threads.begin(), threads.end(),
                            [](const THREADENTRY32& t) { return t.th32ThreadID == GetCurrentThreadId(); }));

    threads.clear();
    strell::getThreadList(0x7FFFFFFC, threads);
    EXPECT_TRUE(threads.empty());
}

TEST(ProcessWindows, TopLevelOnlyLeavesOwnedPopupsOut)
{
    const std::string token = uniqueToken("pw");
    HelperProcess helper(windowHelper({"main " + token, "second " + token}, "popup " + token));
    HelperProcess other(windowHelper({"foreign " + token}));

    WindowList windows = {reinterpret_cast<HWND>(1)};
    strell::getProcessWindows(helper.id(), windows, true, true);
    EXPECT_EQ(std::count(windows.begin(), windows.end(), reinterpret_cast<HWND>(1)), 0);
    EXPECT_EQ(markedTitles(windows, token), (std::vector<std::string>{"main " + token, "second " + token}));
    for (HWND window : windows)
        EXPECT_EQ(GetParent(window), nullptr);

    const size_t before = windows.size();
    strell::getProcessWindows(helper.id(), windows, false, false);
    EXPECT_GT(windows.size(), before * 2);  // appended, the popup among them
    EXPECT_EQ(markedTitles(windows, token),
              (std::vector<std::string>{"main " + token, "main " + token, "popup " + token, "second " + token,
                                        "second " + token}));
}

TEST(ProcessWindows, ThreadWindowsOfTheHelpersThread)
{
    const std::string token = uniqueToken("tw");
    HelperProcess helper(windowHelper({"main " + token}, "popup " + token));
    const WindowList marked = windowsTitled("^main " + token);
    ASSERT_EQ(marked.size(), 1u);
    const DWORD threadId = GetWindowThreadProcessId(marked.front(), nullptr);

    WindowList windows;
    strell::getThreadWindows(threadId, windows, true, true);
    EXPECT_EQ(markedTitles(windows, token), (std::vector<std::string>{"main " + token}));
    strell::getThreadWindows(threadId, windows, true, false);
    EXPECT_EQ(markedTitles(windows, token), (std::vector<std::string>{"main " + token, "popup " + token}));
}

TEST(ProcessWindows, ProcessWithoutWindows)
{
    HelperProcess helper(helperOptions(helperProgram()));
    WindowList windows;
    strell::getProcessWindows(helper.id(), windows, true, true);
    for (const std::string& title : titlesOf(windows))
        EXPECT_TRUE(title.empty() || title == "Default IME") << title;
}

// The way the plug-in finds the desktop program: windows with the title, their owners, the owners whose
// program path contains the program name, and their top-level windows. The names are not the desktop
// program's own, so that a plug-in test running beside this one never takes the helper for it (and
// ends it).
TEST(ProcessWindows, DesktopProgramFoundByTitleAndProgramPath)
{
    testsupport::TempDir folder("desktop");
    const std::string token = uniqueToken("desk");
    HelperOptions desktopOptions = windowHelper({"Mobile Desktop " + token}, "Mobile popup " + token);
    desktopOptions.program = copyAs(helperProgram(), folder, "mobiledesk.exe");
    HelperProcess desktop(desktopOptions);
    HelperOptions impostorOptions = windowHelper({"Mobile impostor " + token});
    impostorOptions.program = copyAs(helperProgram(), folder, "desktop.exe");
    HelperProcess impostor(impostorOptions);

    WindowList windows = windowsTitled("Mobile");
    strell::ProcessIdList ids;
    strell::getProcessIdsOfWindows(windows, true, ids);
    strell::ProcessInfoList infos;
    strell::getProcessInfoList(ids, infos);
    strell::filterProcessInfo(infos, infos, "mobiledesk.exe", strell::FILTER_FULLPATHNAME, false, false);
    WindowList found;
    for (const strell::ProcessInfo& info : infos) {
        WindowList processWindows;
        strell::getProcessWindows(info.ProcessId, processWindows, true, true);
        strell::filterWindowsByTitle(processWindows, "Mobile", false, processWindows);
        found.insert(found.end(), processWindows.begin(), processWindows.end());
    }
    EXPECT_EQ(markedTitles(found, token), (std::vector<std::string>{"Mobile Desktop " + token}));
}

TEST(WindowOutput, HandleBlankTitlePerLine)
{
    const std::string token = uniqueToken("out");
    HelperProcess helper(windowHelper({"first " + token, "second " + token}));
    const WindowList windows = windowsTitled(token);
    ASSERT_EQ(windows.size(), 2u);
    std::ostringstream expected;
    for (HWND window : windows)
        expected << static_cast<const void*>(window) << " " << strell::getWindowText(window) << "\n";
    std::ostringstream out;
    out << windows;
    EXPECT_EQ(out.str(), expected.str());
    EXPECT_NE(out.str().find(" first " + token + "\n"), std::string::npos);
}
