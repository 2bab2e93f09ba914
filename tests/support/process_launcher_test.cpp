#include "message_boxes.h"
#include "process_launcher.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

using namespace testsupport;

namespace {

struct Captured {
    DWORD exitCode = STILL_ACTIVE;
    std::string output;
};

// Runs the command line to its end with standard output and error in a file, and reads the file.
template <typename CommandLine>
Captured runCaptured(const CommandLine& commandLine, LaunchOptions options)
{
    TempDir folder("launch_out");
    const std::string path = folder.file("output.txt");
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    strell::unique_hfile output(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                            CREATE_ALWAYS, 0, nullptr));
    if (!output)
        throw std::runtime_error("cannot create " + path);
    options.output = output.get();
    ChildProcess process = launch(commandLine, options);
    output.reset();
    Captured captured;
    if (!process.wait(30000))
        process.terminate(99);
    captured.exitCode = process.exitCode();
    captured.output = readFile(path);
    return captured;
}

// A variable of this process for one test.
class Variable {
public:
    Variable(const std::string& name, const std::string& value) : m_Name(name)
    {
        SetEnvironmentVariableA(name.c_str(), value.c_str());
    }
    ~Variable() { SetEnvironmentVariableA(m_Name.c_str(), nullptr); }

private:
    std::string m_Name;
};

} // namespace

TEST(ProcessLauncher, SetsVariablesOverTheCallersAndLeavesOutThePrefixed)
{
    const Variable kept("LAUNCHTEST_KEPT", "kept");
    const Variable replaced("LAUNCHTEST_REPLACED", "old");
    const Variable dropped("LAUNCHTEST_DROP_ONE", "1");
    const Variable droppedInOtherCase("launchtest_drop_two", "2");
    LaunchOptions options;
    options.variables = {"launchtest_replaced=new", "LAUNCHTEST_ADDED=added"};
    options.withoutPrefix = "LAUNCHTEST_DROP_";

    const Captured run = runCaptured(std::string("cmd.exe /c set LAUNCHTEST_"), options);
    std::vector<std::string> lines = splitLines(run.output);
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (std::vector<std::string>{"LAUNCHTEST_ADDED=added", "LAUNCHTEST_KEPT=kept",
                                               "launchtest_replaced=new"}))
        << run.output;
}

TEST(ProcessLauncher, StartsInTheFolderWithOutputAndExitCodeFromEitherCommandLine)
{
    TempDir folder("launch_in");
    LaunchOptions options;
    options.currentFolder = folder.path();

    const Captured narrow = runCaptured(std::string("cmd.exe /c cd & exit 7"), options);
    EXPECT_EQ(narrow.exitCode, 7u);
    EXPECT_EQ(lstrcmpiA(splitLines(narrow.output).at(0).c_str(), folder.path().c_str()), 0) << narrow.output;

    const Captured wide = runCaptured(std::wstring(L"cmd.exe /c cd & exit 8"), options);
    EXPECT_EQ(wide.exitCode, 8u);
    EXPECT_EQ(lstrcmpiA(splitLines(wide.output).at(0).c_str(), folder.path().c_str()), 0) << wide.output;
}

TEST(ProcessLauncher, RunAndWaitTellsHowTheProgramEnded)
{
    EXPECT_EQ(runAndWait("cmd.exe /c exit 3", 30000), 3);
    EXPECT_EQ(runAndWait("launchtest_no_such_program.exe", 30000), -1);
    EXPECT_THROW(launch("launchtest_no_such_program.exe"), std::runtime_error);

    // A box that nobody answers keeps the program running until it is ended; had it not been ended,
    // its box would be showing by the end of the wait.
    const std::string caption = "LauncherTimeout" + std::to_string(GetCurrentProcessId());
    EXPECT_EQ(runAndWait(quoteArgument(winPath(BOXSHOW_EXE)) + " 0 " + caption + " Waiting", 2000), -2);
    for (const MessageBoxInfo& box : findMessageBoxes(0))
        EXPECT_NE(box.caption, caption) << "the program still runs";
}
