// Filters over process records, the examined texts and the diagnostic output of the records.

#include "procs_test_util.h"

#include "strell_exception.h"
#include "strell_process.h"

#include <boost/regex.hpp>

#include <sstream>

using namespace procstest;
using strell::ProcessInfo;
using strell::ProcessInfoList;

namespace {

ProcessInfo record(DWORD id, const std::string& commandLine, const std::string& baseName = std::string(),
                   const std::string& fullPath = std::string())
{
    ProcessInfo info;
    info.ProcessId = id;
    info.CommandLine = commandLine;
    info.ExeModuleInfo.hModule = reinterpret_cast<HMODULE>(0x400000);
    info.ExeModuleInfo.BaseName = baseName;
    info.ExeModuleInfo.FullPathName = fullPath;
    return info;
}

std::vector<DWORD> idsOf(const ProcessInfoList& infos)
{
    strell::ProcessIdList ids = {999};  // replaced, not appended to
    strell::getProcessIdsFromInfo(infos, ids);
    return ids;
}

std::vector<DWORD> filtered(const ProcessInfoList& in, const std::string& pattern, strell::filter_mode mode,
                            bool invert = false, bool exact = false)
{
    ProcessInfoList out = {record(12345, "left over")};
    strell::filterProcessInfo(in, out, pattern, mode, invert, exact);
    return idsOf(out);
}

const ProcessInfoList& commandLines()
{
    static const ProcessInfoList list = {
        record(4, "\"C:\\Programme\\Top50\\bin\\d2vexcrd.exe\" -map 3"),
        record(8, "d2vexcrd.exe"),
        record(12, "C:\\x\\d2vexcrd_exe"),   // any character between the name and "exe"
        record(16, "C:\\X\\D2VEXCRD.EXE"),   // other case
        record(20, "d2vexcrd.ex"),
        record(24, ""),
        record(28, "notepad.exe d2vexcrd.exe.txt"),
    };
    return list;
}

} // namespace

TEST(ExtractFilterString, TextOfEveryMode)
{
    const ProcessInfo info = record(4294967292u, "cmd line", "a.exe", "C:\\a.exe");
    EXPECT_EQ(strell::extractFilterString(strell::FILTER_PROCESSID, info), "4294967292");
    EXPECT_EQ(strell::extractFilterString(strell::FILTER_COMMANDLINE, info), "cmd line");
    EXPECT_EQ(strell::extractFilterString(strell::FILTER_BASENAME, info), "a.exe");
    EXPECT_EQ(strell::extractFilterString(strell::FILTER_FULLPATHNAME, info), "C:\\a.exe");
}

TEST(ExtractFilterString, UnknownModeIsReported)
{
    for (strell::filter_mode mode : {4u, 100u}) {
        try {
            strell::extractFilterString(mode, ProcessInfo());
            FAIL() << "no exception for " << mode;
        } catch (const strell::exception& e) {
            EXPECT_TRUE(boost::regex_match(e.text(), boost::regex("invalid filter_mode " + std::to_string(mode) +
                                                                  " \\[\"\\./src/strell_process_filters:\\d+:"
                                                                  "strell::extractFilterString\"\\]")))
                << e.text();
        }
    }
    // A filter with such a mode fails the same way, unless the list is empty.
    ProcessInfoList out;
    EXPECT_THROW(strell::filterProcessInfo(commandLines(), out, "x", 4, false, false), strell::exception);
    EXPECT_NO_THROW(strell::filterProcessInfo(ProcessInfoList(), out, "x", 4, false, false));
}

TEST(FilterProcessInfo, InstallerPatternSearchesCaseSensitively)
{
    EXPECT_EQ(filtered(commandLines(), "d2vexcrd.exe", strell::FILTER_COMMANDLINE),
              (std::vector<DWORD>{4, 8, 12, 28}));
    EXPECT_EQ(filtered(commandLines(), "d2vexcrd.exe", strell::FILTER_COMMANDLINE, true),
              (std::vector<DWORD>{16, 20, 24}));
    EXPECT_EQ(filtered(commandLines(), "d2vexcrd\\.exe$", strell::FILTER_COMMANDLINE), (std::vector<DWORD>{8}));
    EXPECT_EQ(filtered(commandLines(), "(?i)d2vexcrd\\.exe", strell::FILTER_COMMANDLINE),
              (std::vector<DWORD>{4, 8, 16, 28}));
}

TEST(FilterProcessInfo, ExactComparesWholeTextWithThePattern)
{
    EXPECT_EQ(filtered(commandLines(), "d2vexcrd.exe", strell::FILTER_COMMANDLINE, false, true),
              (std::vector<DWORD>{8}));
    EXPECT_EQ(filtered(commandLines(), "d2vexcrd.exe", strell::FILTER_COMMANDLINE, true, true),
              (std::vector<DWORD>{4, 12, 16, 20, 24, 28}));
    // The pattern is still compiled: with exact set, regular-expression characters are plain text.
    EXPECT_EQ(filtered(commandLines(), "d2vexcrd.ex.", strell::FILTER_COMMANDLINE, false, true),
              std::vector<DWORD>{});
}

TEST(FilterProcessInfo, EmptyPattern)
{
    EXPECT_EQ(filtered(commandLines(), "", strell::FILTER_COMMANDLINE), (std::vector<DWORD>{4, 8, 12, 16, 20, 24, 28}));
    EXPECT_EQ(filtered(commandLines(), "", strell::FILTER_COMMANDLINE, true), std::vector<DWORD>{});
    // The exact comparison uses the pattern as given: only empty texts equal it.
    EXPECT_EQ(filtered(commandLines(), "", strell::FILTER_COMMANDLINE, false, true), (std::vector<DWORD>{24}));
    EXPECT_EQ(filtered(commandLines(), "", strell::FILTER_COMMANDLINE, true, true),
              (std::vector<DWORD>{4, 8, 12, 16, 20, 28}));
}

TEST(FilterProcessInfo, InvalidExpressionRaisesAndLeavesTheListAlone)
{
    ProcessInfoList list = commandLines();
    for (const char* pattern : {"(", "[a-", "*x", "a{2,1}"}) {
        EXPECT_THROW(strell::filterProcessInfo(list, list, pattern, strell::FILTER_COMMANDLINE, false, false),
                     boost::regex_error)
            << pattern;
        EXPECT_EQ(list.size(), commandLines().size());
    }
    // Callers catch everything that is not a library text as a standard exception.
    EXPECT_THROW(strell::filterProcessInfo(list, list, "(", strell::FILTER_COMMANDLINE, false, true),
                 std::runtime_error);
}

TEST(FilterProcessInfo, ModesIdBaseNameAndFullPath)
{
    const ProcessInfoList list = {
        record(8, "a", "d2vexcrd.exe", "C:\\Top50\\bin\\d2vexcrd.exe"),
        record(80, "b", "quovan.exe", "C:\\Programme\\Quovan\\quovan.exe"),
        record(108, "c", "QUOVAN.EXE", "C:\\quovan.exe.bak\\other.exe"),
        record(1080, "d"),
    };
    EXPECT_EQ(filtered(list, "^8$", strell::FILTER_PROCESSID), (std::vector<DWORD>{8}));
    EXPECT_EQ(filtered(list, "08", strell::FILTER_PROCESSID), (std::vector<DWORD>{108, 1080}));
    EXPECT_EQ(filtered(list, "80", strell::FILTER_PROCESSID, false, true), (std::vector<DWORD>{80}));
    EXPECT_EQ(filtered(list, "quovan.exe", strell::FILTER_BASENAME), (std::vector<DWORD>{80}));
    EXPECT_EQ(filtered(list, "quovan.exe", strell::FILTER_FULLPATHNAME), (std::vector<DWORD>{80, 108}));
    EXPECT_EQ(filtered(list, "^$", strell::FILTER_FULLPATHNAME), (std::vector<DWORD>{1080}));
}

TEST(FilterProcessInfo, InPlaceKeepsOrder)
{
    ProcessInfoList list = commandLines();
    strell::filterProcessInfo(list, list, "exe", strell::FILTER_COMMANDLINE, false, false);
    EXPECT_EQ(idsOf(list), (std::vector<DWORD>{4, 8, 12, 28}));
    EXPECT_EQ(list[0].CommandLine, commandLines()[0].CommandLine);
}

TEST(FilterProcessInfo, RealProcessesInEveryMode)
{
    testsupport::TempDir folder("filter");
    const std::string token = uniqueToken("filtertoken");
    const std::string program = copyAs(helperProgram(), folder, "d2vexcrd.exe");
    HelperProcess marked(helperOptions(program, "\"" + program + "\" " + token));
    HelperProcess plain(helperOptions(helperProgram(), "plain"));

    strell::ProcessIdList ids;
    strell::getProcessIds(ids);
    ProcessInfoList all;
    strell::getProcessInfoList(ids, all);

    const std::vector<DWORD> markedOnly = {marked.id()};
    EXPECT_EQ(filtered(all, token, strell::FILTER_COMMANDLINE), markedOnly);
    EXPECT_EQ(filtered(all, "^" + std::to_string(marked.id()) + "$", strell::FILTER_PROCESSID), markedOnly);
    EXPECT_EQ(filtered(all, std::to_string(marked.id()), strell::FILTER_PROCESSID, false, true), markedOnly);
    const std::string folderPattern = boost::regex_replace(folder.path(), boost::regex("[\\\\.^$|()\\[\\]{}*+?]"),
                                                           "\\\\$&");
    EXPECT_EQ(filtered(all, "(?i)^" + folderPattern, strell::FILTER_FULLPATHNAME), markedOnly);

    const std::vector<DWORD> byName = filtered(all, "^d2vexcrd\\.exe$", strell::FILTER_BASENAME);
    EXPECT_TRUE(strell::isProcessIdInList(byName, marked.id()));
    EXPECT_FALSE(strell::isProcessIdInList(byName, plain.id()));
    const std::vector<DWORD> notByName = filtered(all, "^d2vexcrd\\.exe$", strell::FILTER_BASENAME, true);
    EXPECT_FALSE(strell::isProcessIdInList(notByName, marked.id()));
    EXPECT_TRUE(strell::isProcessIdInList(notByName, plain.id()));
    EXPECT_TRUE(strell::isProcessIdInList(notByName, GetCurrentProcessId()));
    EXPECT_EQ(byName.size() + notByName.size(), all.size());
}

TEST(ProcessIdList, IdsFromRecordsAndMembership)
{
    EXPECT_EQ(idsOf(commandLines()), (std::vector<DWORD>{4, 8, 12, 16, 20, 24, 28}));
    EXPECT_EQ(idsOf(ProcessInfoList()), std::vector<DWORD>{});
    EXPECT_TRUE(strell::isProcessIdInList({1, 2, 3}, 3));
    EXPECT_FALSE(strell::isProcessIdInList({1, 2, 3}, 4));
    EXPECT_FALSE(strell::isProcessIdInList({}, 0));
}

TEST(ProcessOutput, RecordsAndLists)
{
    std::ostringstream pointer;
    pointer << reinterpret_cast<const void*>(0x400000);
    const std::string record1 = "ProcessId    4\n"
                                "CommandLine  a b\n"
                                "ExeModuleInfo: \n"
                                "hModule      " + pointer.str() + "\n"
                                "BaseName     a.exe\n"
                                "FullPathName C:\\a.exe\n";
    std::ostringstream one;
    one << record(4, "a b", "a.exe", "C:\\a.exe");
    EXPECT_EQ(one.str(), record1);

    std::ostringstream module;
    module << record(4, "a b", "a.exe", "C:\\a.exe").ExeModuleInfo;
    EXPECT_EQ(module.str(), record1.substr(record1.find("hModule")));

    std::ostringstream list;
    list << ProcessInfoList{record(4, "a b", "a.exe", "C:\\a.exe"), record(4, "a b", "a.exe", "C:\\a.exe")};
    EXPECT_EQ(list.str(), record1 + "\n" + record1 + "\n");
}
