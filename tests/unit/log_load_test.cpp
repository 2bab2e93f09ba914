#include "log_helper_run.h"
#include "log_server.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <future>
#include <regex>

using namespace logtest;
using testsupport::LogServer;
using testsupport::TempDir;

namespace {

// Checks that every line of the threads' lines is present once, whole, and in order per thread;
// returns the number of attach lines.
int checkLoadLines(const std::string& path, int threads, int lines)
{
    static const std::regex loadText("^(t=(\\d\\d) i=(\\d{5}) )\\1{6}$");
    std::vector<int> next(threads, 0);
    int attaches = 0, bad = 0;
    for (const std::string& line : logLines(path)) {
        if (line.rfind("attached to log file ", 0) == 0) {
            ++attaches;
            continue;
        }
        std::smatch match;
        const std::string text = lineText(line);
        if (!hasLinePrefix(line, "INFO") || !std::regex_match(text, match, loadText)) {
            if (++bad <= 5)
                ADD_FAILURE() << "torn or foreign line: " << line;
            continue;
        }
        const int t = std::stoi(match[2]), i = std::stoi(match[3]);
        if (t >= threads || i != next[t]) {
            if (++bad <= 5)
                ADD_FAILURE() << "out of order: " << line;
            continue;
        }
        ++next[t];
    }
    for (int t = 0; t < threads; ++t)
        EXPECT_EQ(next[t], lines) << "lines of thread " << t;
    EXPECT_EQ(bad, 0);
    return attaches;
}

} // namespace

TEST(LogFacadeLoad, EightThreadsWriteEveryLineWholeIntoOneFile)
{
    TempDir dir("load");
    const HelperRun run = runHelper(dir.path(), {"many:8:2000:load.log"}, 120000);
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    EXPECT_EQ(checkLoadLines(dir.file("load.log"), 8, 2000), 1);
}

TEST(LogFacadeLoad, CloseFilesWhileOtherThreadsLogLosesNothing)
{
    TempDir dir("load");
    const HelperRun run = runHelper(dir.path(), {"closing:4:2000:closing.log"}, 120000);
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    int closes = 0;
    ASSERT_EQ(std::sscanf(run.output.c_str() + run.output.find("closes="), "closes=%d", &closes), 1) << run.output;
    const int attaches = checkLoadLines(dir.file("closing.log"), 4, 2000);
    EXPECT_GT(closes, 1);
    EXPECT_GT(attaches, 1) << "the file was closed and reopened while the threads logged";
    EXPECT_LE(attaches, closes + 1);
}

TEST(LogFacadeLoad, LogServerGoingAwayMidRunStopsNothing)
{
    TempDir dir("load");
    LogServer server;
    writeLogIni(dir.path(), "127.0.0.1", server.port(), 0);
    writeFacilityIni(dir.path(), "f");
    std::future<HelperRun> helper = std::async(std::launch::async, [&] {
        return runHelper(dir.path(), {"facility:live", "halves:4:3000:gone.log:half", "state", "free"}, 120000);
    });
    ASSERT_TRUE(waitForFile(dir.file("half.reached"), 60000));
    EXPECT_TRUE(server.waitForBodies(1000, 10000)) << "records flowed before the server went away";
    server.stop();
    createFile(dir.file("half.go"));
    const HelperRun run = helper.get();
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    // The sender thread ended on its failed send; the queue filled up to its bound and stays there.
    EXPECT_NE(run.output.find("Exception CSocket::send() - failed: "), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("state link=1 backlog=0 queued=128"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("::destroy singleton("), std::string::npos) << run.output;
    EXPECT_EQ(checkLoadLines(dir.file("gone.log"), 4, 3000), 1);
    EXPECT_EQ(server.malformedFrames(), 0);
}
