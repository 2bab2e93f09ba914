// The 32-bit plug-in beside a 64-bit desktop program, as on 64-bit Windows: found by the process-first
// search and the program-file rule on its full path, started from its command line, asked its version,
// handed the export; busy and hung as with a 32-bit one. A 32-bit process cannot read a 64-bit one's
// modules or memory, so only calls that work across bitness may find it.

#include "desktop_test_support.h"

#include <gtest/gtest.h>

namespace {

using desktoptest::ExportTest;
using desktoptest::kAreaPart;
using desktoptest::kMarkArea;
using plugintest::HostRun;
using Lines = std::vector<std::string>;

const std::string kExportNoMaps = std::string("name=druvexportmapex;;") + kAreaPart;

class Desktop64 : public ExportTest {
protected:
    void SetUp() override
    {
        if (!testsupport::runsUnderWow64())
            GTEST_SKIP() << testsupport::kWow64Only;
        ExportTest::SetUp();
    }

    // The settings of an installation of the 64-bit double: its folder, and its command line recording
    // into the file.
    std::string install(const std::string& arguments, const std::string& record) 
    {
        const std::string program = testsupport::desktopDouble64();
        const std::string command = testsupport::quoteArgument(program) + " --record " +
                                    testsupport::quoteArgument(file(record)) + " " + arguments;
        m_Settings.install(command);
        m_Settings.setText("folder", program.substr(0, program.find_last_of('\\')));
        return command;
    }
};

TEST_F(Desktop64, NotRunningIsStartedThenAskedItsVersionAndExported)
{
    const std::string command = install("--version 95", "record.txt");
    const HostRun result = run(std::string(kMarkArea) + "menu 2072\n");
    EXPECT_TRUE(result.boxes.empty()) << result.dump();
    const std::vector<desktoptest::Received> record = desktoptest::readRecord(file("record.txt"));
    ASSERT_FALSE(record.empty()) << result.dump();
    EXPECT_EQ("start", record[0].kind);
    EXPECT_EQ(command, record[0].data);
    EXPECT_EQ((Lines{"name=druvidle", "name=druvversion", "name=druvidle", kExportNoMaps}), received());
    EXPECT_EQ(1, record.back().answer);
}

TEST_F(Desktop64, RunningIsFoundAndExportedWithoutAStart)
{
    install("--version 95", "second.txt");
    const auto desktop = runDouble("--version 95", "record.txt", testsupport::desktopDouble64());
    const HostRun result = run(std::string(kMarkArea) + "menu 2072\n");
    EXPECT_TRUE(result.boxes.empty()) << result.dump();
    EXPECT_EQ((Lines{"name=druvversion", "name=druvidle", kExportNoMaps}), received());
    EXPECT_FALSE(testsupport::exists(file("second.txt")));
    EXPECT_TRUE(desktop->runsAfter(0));
}

TEST_F(Desktop64, BusyIsLeftAloneAndHungIsTerminatedAndStartedAnew)
{
    install("--version 95", "second.txt");
    {
        const auto busy = runDouble("--idle 0 --exit refuse", "record.txt", testsupport::desktopDouble64());
        const HostRun result = run(std::string(kMarkArea) + "menu 2072\n");
        ASSERT_EQ(1u, result.boxes.size()) << result.dump();
        EXPECT_EQ("Information", result.boxes[0].caption);
        EXPECT_EQ((Lines{"name=druvversion", "name=druvidle", "name=druvidle"}), received());
        EXPECT_TRUE(busy->runsAfter(0));
        EXPECT_FALSE(testsupport::exists(file("second.txt")));
    }
    desktoptest::endDesktopDoubles();
    const auto hung = runDouble("--hung 1", "first.txt", testsupport::desktopDouble64());
    const HostRun result = run(std::string(kMarkArea) + "menu 2072\n");
    EXPECT_TRUE(result.boxes.empty()) << result.dump();
    EXPECT_FALSE(hung->runsAfter(0));
    EXPECT_EQ((Lines{"name=druvidle", "name=druvversion", "name=druvidle", kExportNoMaps}), received("second.txt"));
}

} // namespace
