// Process ids, command lines, executable modules and process records read from real helper processes.

#include "procs_test_util.h"

#include "cross_bitness.h"

#include "strell_exception.h"
#include "strell_process.h"
#include "strell_systeminfo.h"
#include "strell_trace.h"
#include "stringex.h"
#include "win32_handles.h"

#include <boost/regex.hpp>

using namespace procstest;
using testsupport::TempDir;

namespace {

std::string commandLineOf(DWORD processId)
{
    strell::ProcessInfo info;
    strell::getProcessInfo(processId, info);
    EXPECT_EQ(info.ProcessId, processId);
    return info.CommandLine;
}

bool runsOnWine()
{
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

bool matches(const std::string& text, const std::string& pattern)
{
    return boost::regex_match(text, boost::regex(pattern));
}

} // namespace

TEST(ProcessIds, ListHoldsOwnAndHelperIdsAfterWhatWasThere)
{
    HelperProcess helper(helperOptions(helperProgram()));
    strell::ProcessIdList ids = {12345678};
    strell::getProcessIds(ids);
    ASSERT_GT(ids.size(), 2u);
    EXPECT_EQ(ids.front(), 12345678u);
    EXPECT_TRUE(strell::isProcessIdInList(ids, GetCurrentProcessId()));
    EXPECT_TRUE(strell::isProcessIdInList(ids, helper.id()));
    EXPECT_FALSE(strell::isProcessIdInList(ids, 0x7FFFFFFC));

    // The process list names each process by its image, its command line unread.
    strell::ProcessInfoList listed(1);
    listed.front().ProcessId = 12345678;
    strell::getProcessList(listed);
    const auto named = [&](DWORD id) {
        for (const strell::ProcessInfo& info : listed)
            if (info.ProcessId == id)
                return strell::toLower(info.ExeModuleInfo.BaseName);
        return std::string("<not listed>");
    };
    EXPECT_EQ(listed.front().ProcessId, 12345678u); // what was there stays
    EXPECT_EQ(named(GetCurrentProcessId()), "unit_tests.exe");
    EXPECT_EQ(named(helper.id()), strell::toLower(strell::getFileName(helperProgram())));
    EXPECT_EQ(listed.back().CommandLine, "");
}

TEST(CommandLine, ReadBackAsPassed)
{
    TempDir folder("cmd");
    const std::string program = copyAs(helperProgram(), folder, "d2vexcrd.exe");
    const std::vector<std::string> commandLines = {
        "\"" + program + "\"",
        "\"" + program + "\" -a \"with blanks\" \"\" \\\"escaped\\\" end",
        "d2vexcrd.exe",                                         // no path at all
        "\"" + program + "\" Grüße äöüß ÄÖÜ € … „quoted“ ©",    // code page 1252 beyond ASCII
        "\"" + program + "\" " + std::string(3000, 'x'),        // beyond the 2047 of formatted text
        "\"" + program + "\" " + std::string(32000, 'y'),       // near the system's limit
    };
    for (const std::string& commandLine : commandLines) {
        HelperProcess helper(helperOptions(program, commandLine));
        EXPECT_EQ(commandLineOf(helper.id()), commandLine);
    }
}

TEST(CommandLine, CharactersOutsideTheCodePageBecomeQuestionMarks)
{
    HelperOptions options = helperOptions(helperProgram());
    options.wideCommandLine = L"helper \x03B1\x03B2 \x00FC";  // Greek alpha, beta; u umlaut
    HelperProcess helper(options);
    EXPECT_EQ(commandLineOf(helper.id()), "helper ?? \xFC");
}

// The helper replaces its command line by a page of 2048 'A' followed by inaccessible memory and sets
// the counted length and maximum length as told. Only the counted characters may be read.
TEST(CommandLine, OnlyTheCountedCharactersAreRead)
{
    struct Case {
        const char* lengths;
        size_t characters;
    };
    const Case cases[] = {
        {"4096,4096", 2048},  // fills the page: no terminator follows
        {"4095,4096", 2047},  // odd byte count
        {"4096,2", 2048},     // length above the maximum
        {"10,65534", 5},      // maximum far beyond the page
        {"0,0", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lengths);
        HelperOptions options = helperOptions(helperProgram());
        options.commandLineLengths = c.lengths;
        HelperProcess helper(options);
        EXPECT_EQ(commandLineOf(helper.id()), std::string(c.characters, 'A'));
    }
}

TEST(CommandLine, LengthBeyondReadableMemoryIsReported)
{
    HelperOptions options = helperOptions(helperProgram());
    options.commandLineLengths = "65534,65534";
    HelperProcess helper(options);
    strell::ProcessInfo info;
    info.CommandLine = "before";
    if (runsOnWine()) {
        // Wine reads reserved memory as zeros: the text ends after the page.
        strell::getProcessInfo(helper.id(), info);
        EXPECT_EQ(info.CommandLine, std::string(2048, 'A'));
        return;
    }
    try {
        strell::getProcessInfo(helper.id(), info);
        FAIL() << "no exception";
    } catch (const strell::exception& e) {
        EXPECT_TRUE(matches(e.text(), "process_id\\(" + std::to_string(helper.id()) +
                                          "\\) ReadProcessMemory\\(3\\) failed .*\\(err: \\d+,0x[0-9A-F]+\\) "
                                          "\\[\"\\./src/strell_process:\\d+\"\\] "
                                          "\\[\"\\./src/strell_process:\\d+:strell::getProcessInfo\"\\]"))
            << e.text();
    }
    EXPECT_EQ(info.CommandLine, "before");
}

TEST(ProcessInfo, ExecutableModuleOfACopiedHelper)
{
    TempDir folder("exe");
    const std::string program = copyAs(helperProgram(), folder, "d2vexcrd.exe");
    HelperProcess helper(helperOptions(program, "\"" + program + "\" -x"));
    strell::ProcessInfo info;
    strell::getProcessInfo(helper.id(), info);
    EXPECT_EQ(info.ProcessId, helper.id());
    EXPECT_EQ(info.CommandLine, "\"" + program + "\" -x");
    EXPECT_EQ(info.ExeModuleInfo.BaseName, "d2vexcrd.exe");
    EXPECT_EQ(strell::toLower(info.ExeModuleInfo.FullPathName), strell::toLower(program));
    EXPECT_NE(info.ExeModuleInfo.hModule, nullptr);
}

// Beside a 64-bit process (WoW64) its memory is never read, since its blocks have another layout and
// lie at an address this process is not told; its image and full path are known all the same.
TEST(ProcessInfo, OtherBitnessIsNamedButItsMemoryNeverRead)
{
    if (!testsupport::runsUnderWow64())
        GTEST_SKIP() << testsupport::kWow64Only;
    TempDir folder("bits");
    const std::string program = copyAs(testsupport::desktopDouble64(), folder, "d2vexcrd.exe");
    const testsupport::RunningDesktopDouble other(program, "");
    const strell::unique_process process(
        OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, other.processId()));
    ASSERT_TRUE(process);
    EXPECT_FALSE(strell::hasOwnBitness(process.get()));
    EXPECT_TRUE(strell::hasOwnBitness(GetCurrentProcess()));
    EXPECT_THROW(strell::getProcessCommandLine(process.get()), strell::exception);

    strell::ProcessInfo info;
    try {
        strell::getProcessInfo(other.processId(), info);
        ADD_FAILURE() << "read a 64-bit process: " << info.CommandLine;
    } catch (const strell::exception& e) {
        EXPECT_NE(e.text().find("bitness"), std::string::npos) << e.text();
    }
    strell::ProcessInfoList executables;
    strell::getProcessExeList(strell::ProcessIdList{other.processId()}, executables);
    ASSERT_EQ(executables.size(), 1u);
    EXPECT_EQ(executables[0].ExeModuleInfo.BaseName, "d2vexcrd.exe");
    EXPECT_EQ(strell::toLower(executables[0].ExeModuleInfo.FullPathName), strell::toLower(program));
}

TEST(ProcessInfo, LastExecutableModuleInTheListWins)
{
    TempDir folder("second");
    const std::string program = copyAs(helperProgram(), folder, "d2vexcrd.exe");
    const std::string second = copyAs(moduleLibrary(), folder, "Second.EXE");
    HelperOptions options = helperOptions(program);
    options.loadLibrary = second;
    HelperProcess helper(options);

    strell::ModuleInfoList modules = {strell::ModuleInfo()};
    {
        strell::unique_process process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, helper.id()));
        ASSERT_TRUE(process);
        const size_t count = strell::getModuleList(process.get(), modules);
        ASSERT_EQ(modules.size(), count + 1);
    }
    ASSERT_GT(modules.size(), 3u);
    EXPECT_EQ(modules[1].BaseName, "d2vexcrd.exe");  // the program comes first
    size_t found = 0;
    for (const strell::ModuleInfo& module : modules)
        found += module.BaseName == "Second.EXE" ? 1 : 0;
    EXPECT_EQ(found, 1u);

    strell::ProcessInfo info;
    strell::getProcessInfo(helper.id(), info);
    EXPECT_EQ(info.ExeModuleInfo.BaseName, "Second.EXE");
    EXPECT_EQ(strell::toLower(info.ExeModuleInfo.FullPathName), strell::toLower(second));
}

TEST(ProcessInfo, IdZeroIsNoProcess)
{
    strell::ProcessInfo info;
    info.ProcessId = 7;
    info.CommandLine = "stale";
    info.ExeModuleInfo.BaseName = "stale.exe";
    EXPECT_NO_THROW(strell::getProcessInfo(0, info));
    EXPECT_EQ(info.ProcessId, 0u);
    EXPECT_EQ(info.CommandLine, "");
    EXPECT_EQ(info.ExeModuleInfo.BaseName, "");
}

TEST(ProcessInfo, UnknownIdRaisesTheOpenFailure)
{
    strell::ProcessInfo info;
    try {
        strell::getProcessInfo(0x7FFFFFFC, info);
        FAIL() << "no exception";
    } catch (const strell::win32exception& e) {
        EXPECT_TRUE(matches(e.text(), "OpenProcess\\(processid: 2147483644\\) failed .*\\(err: \\d+,0x[0-9A-F]+\\) "
                                      "\\[\"\\./src/strell_process:\\d+\"\\]"))
            << e.text();
        EXPECT_NE(e.errorCode(), 0u);
    }
}

TEST(ProcessInfo, EndedProcessIsReportedWithItsId)
{
    HelperProcess helper(helperOptions(helperProgram()));
    TerminateProcess(helper.handle(), 5);
    ASSERT_TRUE(helper.waitForExit(5000));
    // The handle held by the helper owner keeps the process object alive.
    strell::ProcessInfo info;
    try {
        strell::getProcessInfo(helper.id(), info);
        FAIL() << "no exception";
    } catch (const strell::exception& e) {
        const std::string id = std::to_string(helper.id());
        EXPECT_TRUE(matches(e.text(), "(process_id\\(" + id + "\\) .*strell::getProcessInfo\"\\])|(OpenProcess\\(processid: " +
                                          id + "\\) failed .*)"))
            << e.text();
    }
}

TEST(ProcessInfoList, SkipsWhatCannotBeReadAndTracesIt)
{
    HelperProcess first(helperOptions(helperProgram(), "first helper"));
    HelperProcess second(helperOptions(helperProgram(), "second helper"));
    const strell::ProcessIdList ids = {second.id(), 0x7FFFFFFC, first.id(), 0};
    const int level = strell::getTraceLevel();
    for (int traceLevel : {0, 1}) {
        strell::setTraceLevel(traceLevel);
        testsupport::StdoutCapture out;
        strell::ProcessInfoList infos(1);
        strell::getProcessInfoList(ids, infos);
        const std::string traced = out.text();
        ASSERT_EQ(infos.size(), 4u);
        EXPECT_EQ(infos[1].ProcessId, second.id());
        EXPECT_EQ(infos[1].CommandLine, "second helper");
        EXPECT_EQ(infos[2].ProcessId, first.id());
        EXPECT_EQ(infos[2].CommandLine, "first helper");
        EXPECT_EQ(infos[3].ProcessId, 0u);
        if (traceLevel == 0)
            EXPECT_EQ(traced, "");
        else
            EXPECT_TRUE(matches(traced, "OpenProcess\\(processid: 2147483644\\) failed .*\\]\n")) << traced;
    }
    strell::setTraceLevel(level);
}

TEST(ProcessInfoList, AllProcessesIncludeOwnProcess)
{
    strell::ProcessIdList ids;
    strell::getProcessIds(ids);
    strell::ProcessInfoList infos;
    strell::getProcessInfoList(ids, infos);
    bool foundSelf = false;
    for (const strell::ProcessInfo& info : infos) {
        if (info.ProcessId == GetCurrentProcessId()) {
            foundSelf = true;
            EXPECT_EQ(info.CommandLine, GetCommandLineA());
            EXPECT_EQ(info.ExeModuleInfo.BaseName, "unit_tests.exe");
        }
    }
    EXPECT_TRUE(foundSelf);
}

TEST(RunningProgram, OwnPathAndFolder)
{
    char buffer[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    EXPECT_EQ(strell::getExecutablePath(), buffer);
    EXPECT_EQ(strell::getExecutableFolder(), testsupport::programFolder());
    EXPECT_EQ(strell::getExecutablePath(), strell::getExecutableFolder() + "\\unit_tests.exe");
    // Linked into the program itself, the library's module is the program.
    EXPECT_EQ(strell::getModulePath(), strell::getExecutablePath());
    EXPECT_EQ(strell::getModuleFolder(), strell::getExecutableFolder());
    EXPECT_EQ(strell::getCodeModuleHandle(), GetModuleHandleA(nullptr));
}

TEST(RunningProgram, LibraryInsideAPlugInNamesThePlugIn)
{
    TempDir folder("module");
    const std::string library = copyAs(moduleLibrary(), folder, "plugin_copy.dll");
    strell::unique_hmodule module(LoadLibraryA(library.c_str()));
    ASSERT_TRUE(module);
    auto modulePath = reinterpret_cast<int (*)(char*, int)>(
        reinterpret_cast<void*>(GetProcAddress(module.get(), "strellModulePath")));
    ASSERT_NE(modulePath, nullptr);
    char buffer[1024] = {};
    ASSERT_GT(modulePath(buffer, sizeof buffer), 0);
    EXPECT_EQ(strell::toLower(buffer), strell::toLower(library));
    EXPECT_NE(strell::toLower(buffer), strell::toLower(strell::getExecutablePath()));
}

TEST(RunningProgram, MemoryFigures)
{
    const SIZE_T workingSet = strell::GetCurrentProcessMemoryUsage();
    EXPECT_GT(workingSet, 64u * 1024u);
    EXPECT_LT(workingSet, 1024u * 1024u * 1024u);
    const unsigned long long available = strell::getAvailableVirtualMemory();
    EXPECT_GT(available, 16ull * 1024 * 1024);
    // At most the user address space: 4 GB for a 32-bit program, 128 TB for a 64-bit one.
    EXPECT_LE(available, (sizeof(void*) == 4 ? 4ull : 128ull * 1024) * 1024 * 1024 * 1024);
}
