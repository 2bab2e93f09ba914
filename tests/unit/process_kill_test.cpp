// Termination of real helper processes.

#include "procs_test_util.h"

#include "strell_process.h"

using namespace procstest;

TEST(KillProcesses, EndsOthersAndSparesTheCallingProcess)
{
    HelperProcess first(helperOptions(helperProgram()));
    HelperProcess second(helperOptions(helperProgram()));
    HelperProcess untouched(helperOptions(helperProgram()));
    testsupport::StdoutCapture out;
    strell::killProcesses({GetCurrentProcessId(), first.id(), 0x7FFFFFFC, second.id(), GetCurrentProcessId()});
    const std::string printed = out.text();

    ASSERT_TRUE(first.waitForExit(5000));
    ASSERT_TRUE(second.waitForExit(5000));
    EXPECT_EQ(first.exitCode(), 0u);  // a helper that quits by itself ends with 3
    EXPECT_EQ(second.exitCode(), 0u);
    EXPECT_FALSE(untouched.waitForExit(200));
    EXPECT_EQ(printed, "process killed: " + std::to_string(first.id()) + "\nprocess killed: " +
                           std::to_string(second.id()) + "\n");
}

TEST(KillProcesses, EmptyListAndOwnIdOnlyDoNothing)
{
    testsupport::StdoutCapture out;
    strell::killProcesses({});
    strell::killProcesses({GetCurrentProcessId()});
    EXPECT_EQ(out.text(), "");
}

TEST(KillProcessesByCommandLine, SearchAndExactMatch)
{
    const std::string token = uniqueToken("killtoken");
    HelperProcess searched(helperOptions(helperProgram(), "helper --id " + token + " --more"));
    HelperProcess exact(helperOptions(helperProgram(), "helper " + token + "x"));
    HelperProcess other(helperOptions(helperProgram(), "helper " + uniqueToken("other")));

    testsupport::StdoutCapture out;
    // Exact: only a command line that equals the pattern as a whole.
    strell::killProcessesByCommandLine("helper " + token + "x", true);
    EXPECT_TRUE(exact.waitForExit(5000));
    EXPECT_FALSE(searched.waitForExit(200));

    // Search: the token anywhere in the command line. The test program's own command line holds no
    // token, and would be spared anyway.
    strell::killProcessesByCommandLine(token, false);
    EXPECT_TRUE(searched.waitForExit(5000));
    EXPECT_EQ(searched.exitCode(), 0u);
    EXPECT_FALSE(other.waitForExit(200));
    EXPECT_EQ(out.text(), "process killed: " + std::to_string(exact.id()) + "\nprocess killed: " +
                              std::to_string(searched.id()) + "\n");
}

TEST(KillProcessesByCommandLine, InvalidPatternKillsNothing)
{
    const std::string token = uniqueToken("invalidkill");
    HelperProcess helper(helperOptions(helperProgram(), "helper " + token));
    EXPECT_THROW(strell::killProcessesByCommandLine("(" + token, false), std::runtime_error);
    EXPECT_FALSE(helper.waitForExit(200));
}
