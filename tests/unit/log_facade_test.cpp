#include "log_helper_run.h"
#include "log_server.h"
#include "message_boxes.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <future>

using namespace logtest;
using testsupport::LogServer;
using testsupport::TempDir;

namespace {

std::string record(const std::string& type, const std::string& text, const std::string& facility)
{
    return "type=" + type + ";text=" + text + ";facility=" + facility + ";sender=log_helper.exe;" +
           std::string(1, '\0');
}

bool contains(const std::vector<std::string>& list, const std::string& item)
{
    return std::find(list.begin(), list.end(), item) != list.end();
}

const char kConnectFailed[] = "CLog::CLog() - Connect to log server failed: \"";

} // namespace

TEST(LogFacade, WithoutLogIniTheFacadeIsFileOnlyAndSaysWhy)
{
    TempDir dir("log");
    const HelperRun run = runHelper(dir.path(), {"info:0:named.log:hello", "info:1:named.log:too verbose", "state"});
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    EXPECT_NE(run.output.find("::create singleton("), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("state link=0 backlog=0 queued=0 verbose=0"), std::string::npos) << run.output;

    const auto own = logLines(dir.file("strell.log"));
    ASSERT_EQ(own.size(), 3u) << logText(dir.file("strell.log"));
    EXPECT_EQ(own[0], "attached to log file " + dir.path() + "\\strell.log");
    EXPECT_TRUE(hasLinePrefix(own[1], "ERROR")) << own[1];
    const std::string failure = lineText(own[1]);
    EXPECT_EQ(failure.rfind(std::string(kConnectFailed) + "Error retrieving value \"address\" from section "
                                                          "\"client_info\" in file \"log.ini\", err: 2 FILE_NOT_FOUND [",
                            0),
              0u)
        << failure;
    EXPECT_EQ(failure.substr(failure.size() - 27), ":Inifile::GetStringThrow\"]\"") << failure;
    EXPECT_TRUE(hasLinePrefix(own[2], "INFO")) << own[2];
    EXPECT_EQ(lineText(own[2]), "module startup!");

    const auto named = logLines(dir.file("named.log"));
    ASSERT_EQ(named.size(), 2u) << "verbosity 1 is above the default VerboseLevel 0";
    EXPECT_EQ(named[0], "attached to log file " + dir.path() + "\\named.log");
    EXPECT_TRUE(hasLinePrefix(named[1], "INFO"));
    EXPECT_EQ(lineText(named[1]), "hello");
}

TEST(LogFacade, LevelsPaddingRawLinesAndVerboseLevelFromLogIni)
{
    TempDir dir("log");
    LogServer server;
    writeLogIni(dir.path(), "127.0.0.1", server.port(), 2);
    writeFacilityIni(dir.path(), "fromini");
    const HelperRun run = runHelper(dir.path(), {"info:2:a.log:two", "info:3:a.log:three", "error:a.log:e;x %s %d",
                                                 "warning:a.log:w", "raw:a.log:raw %s text", "raw:a.log:", "state"});
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    // Startup, two, error and warning wait for the facility name; raw lines make no record.
    EXPECT_NE(run.output.find("state link=1 backlog=4 queued=0 verbose=2"), std::string::npos) << run.output;
    const auto lines = logLines(dir.file("a.log"));
    ASSERT_EQ(lines.size(), 6u) << logText(dir.file("a.log"));
    EXPECT_TRUE(hasLinePrefix(lines[1], "INFO"));
    EXPECT_EQ(lineText(lines[1]), "two");
    EXPECT_TRUE(hasLinePrefix(lines[2], "ERROR"));
    EXPECT_EQ(lines[2].substr(0, 8), "ERROR   ");
    EXPECT_EQ(lineText(lines[2]), "e;x %s %d") << "the file keeps the ';' and the '%'";
    EXPECT_EQ(lines[3].substr(0, 8), "WARNING ");
    EXPECT_EQ(lineText(lines[3]), "w");
    EXPECT_EQ(lines[4], "raw %s text");
    EXPECT_EQ(lines[5], "");
    EXPECT_TRUE(server.bodies().empty()) << "no facility name: nothing is sent";
    EXPECT_EQ(server.connectionCount(), 1u);
}

TEST(LogFacade, BacklogKeepsTheNewest19UntilTheFacilityIsSet)
{
    TempDir dir("log");
    LogServer server;
    writeLogIni(dir.path(), "127.0.0.1", server.port(), 0);
    writeFacilityIni(dir.path(), "fromini");
    std::future<HelperRun> helper = std::async(std::launch::async, [&] {
        return runHelper(dir.path(), {"repeat:25:b.log:rec;x", "state", "barrier:waiting", "facility:myfac",
                                      "info:0:b.log:final", "free"});
    });
    ASSERT_TRUE(waitForFile(dir.file("waiting.reached"), 30000));
    Sleep(200);
    EXPECT_TRUE(server.bodies().empty());
    createFile(dir.file("waiting.go"));
    const HelperRun run = helper.get();
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    EXPECT_NE(run.output.find("state link=1 backlog=19 queued=0"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("::destroy singleton("), std::string::npos) << run.output;

    // Startup and 25 records waited; the newest 19 go out oldest first, then the new one, then the
    // teardown's record, which the link passes on before it closes.
    ASSERT_TRUE(server.waitForBodies(21, 5000)) << server.bodies().size();
    const auto bodies = server.bodies();
    ASSERT_EQ(bodies.size(), 21u);
    for (int i = 0; i < 19; ++i)
        EXPECT_EQ(bodies[i], record("INFO", "rec,x " + std::to_string(i + 7), "myfac")) << i;
    EXPECT_EQ(bodies[19], record("INFO", "final", "myfac"));
    EXPECT_EQ(bodies[20], record("INFO", "module shutdown!\n", "myfac"));
    EXPECT_EQ(server.malformedFrames(), 0);

    const auto own = logLines(dir.file("strell.log"));
    ASSERT_FALSE(own.empty());
    EXPECT_EQ(lineText(own.back()), "module shutdown!");
}

TEST(LogFacade, RecordsCarryCommasAreCutAt2047AndFollowTheSenderName)
{
    TempDir dir("log");
    LogServer server;
    writeLogIni(dir.path(), "127.0.0.1", server.port(), 0);
    writeFacilityIni(dir.path(), "fromini");
    const HelperRun run = runHelper(dir.path(), {"info:0:c.log:a;b;c {facility}", "facility:F", "long:3000:c.log",
                                                 "sender:other.exe", "warning:c.log:renamed", "free"});
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    ASSERT_TRUE(server.waitForBodies(5, 5000));
    const auto bodies = server.bodies();
    EXPECT_EQ(bodies[0], record("INFO", "module startup!\n", "F"));
    EXPECT_EQ(bodies[1], record("INFO", "a,b,c {facility}", "F")) << "a waiting record gets the facility in its field";
    EXPECT_EQ(bodies[2].size(), 2048u) << "2047 characters and the NUL";
    EXPECT_EQ(bodies[2].substr(0, 19), "type=INFO;text=xxxx");
    EXPECT_EQ(bodies[3], "type=WARNING;text=renamed;facility=F;sender=other.exe;" + std::string(1, '\0'));

    const auto lines = logLines(dir.file("c.log"));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lineText(lines[2]), std::string(3000, 'x') + "END") << "the file line is not cut";
    EXPECT_EQ(lines[3].rfind("WARNING other.exe ", 0), 0u) << lines[3];
}

TEST(LogFacade, ConnectionFailuresLeaveTheFacadeFileOnly)
{
    LogServer server;
    {
        TempDir dir("log");
        writeLogIni(dir.path(), "127.0.0.1", server.port(), 3);
        const HelperRun run = runHelper(dir.path(), {"state"});
        EXPECT_NE(run.output.find("state link=0 backlog=0 queued=0 verbose=3"), std::string::npos) << run.output;
        const std::string text = lineText(logLines(dir.file("strell.log"))[1]);
        EXPECT_NE(text.find("\"facility_name\" from section \"static_section\" in file \"facility.ini\""),
                  std::string::npos)
            << text;
    }
    EXPECT_EQ(server.connectionCount(), 0u) << "facility.ini is read before connecting";
    {
        TempDir dir("log");
        const int port = testsupport::unusedPort();
        writeLogIni(dir.path(), "127.0.0.1", port, 0);
        writeFacilityIni(dir.path(), "f");
        runHelper(dir.path(), {"state"});
        EXPECT_EQ(lineText(logLines(dir.file("strell.log"))[1]),
                  std::string(kConnectFailed) + "CSocket::connect(127.0.0.1:" + std::to_string(port) +
                      ") - failed: 10061!\"");
    }
    {
        TempDir dir("log");
        writeLogIni(dir.path(), "no-such-host.invalid", 4000, 0);
        writeFacilityIni(dir.path(), "f");
        runHelper(dir.path(), {"state"});
        EXPECT_EQ(lineText(logLines(dir.file("strell.log"))[1])
                      .rfind(std::string(kConnectFailed) + "Assertion \"hostEntry!=0\" failed \"Could not resolve "
                                                           "hostname \"no-such-host.invalid\"\" [",
                             0),
                  0u);
    }
}

TEST(LogFacade, CloseFilesReopensWithANewAttachLine)
{
    TempDir dir("log");
    runHelper(dir.path(), {"info:0:e.log:one", "close", "info:0:e.log:two"});
    const auto lines = logLines(dir.file("e.log"));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "attached to log file " + dir.path() + "\\e.log");
    EXPECT_EQ(lineText(lines[1]), "one");
    EXPECT_EQ(lines[2], lines[0]);
    EXPECT_EQ(lineText(lines[3]), "two");
}

TEST(LogFacade, ErrorBoxIsShownThenLogged)
{
    TempDir dir("log");
    testsupport::RunOptions options;
    options.currentFolder = dir.path();
    const std::string helper = testsupport::quoteArgument(testsupport::programFolder() + "\\log_helper.exe");
    const testsupport::ProgramRun run =
        testsupport::runAnsweringBoxes(helper + " \"errorbox:f.log:Datei fehlt\"", {IDOK}, options);
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(run.boxes[0].caption, "Error");
    EXPECT_EQ(run.boxes[0].text, "Datei fehlt");
    EXPECT_EQ(run.boxes[0].buttons, std::vector<int>{IDOK});
    const auto lines = logLines(dir.file("f.log"));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(hasLinePrefix(lines[1], "ERROR"));
    EXPECT_EQ(lineText(lines[1]), "Datei fehlt");
}

TEST(LogFacade, OverflowMessageReachesTheServerWithTheFacilityFromFacilityIni)
{
    TempDir dir("log");
    LogServer server;
    writeLogIni(dir.path(), "127.0.0.1", server.port(), 0);
    writeFacilityIni(dir.path(), "fromini");
    server.pauseReading(true);
    std::future<HelperRun> helper = std::async(std::launch::async, [&] {
        return runHelper(dir.path(), {"facility:live", "flood:20000:d.log", "state", "barrier:flooded", "free"});
    });
    ASSERT_TRUE(waitForFile(dir.file("flooded.reached"), 60000));
    server.pauseReading(false);
    createFile(dir.file("flooded.go"));
    const HelperRun run = helper.get();
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    EXPECT_NE(run.output.find("queued=128"), std::string::npos) << run.output;
    const std::string shutdown = record("INFO", "module shutdown!\n", "live");
    for (int i = 0; i < 500 && (server.bodies().empty() || server.bodies().back() != shutdown); ++i)
        Sleep(10);
    const auto bodies = server.bodies();
    EXPECT_TRUE(contains(bodies, record("ERROR", "CLog - overflow (messages dropped)!", "fromini")))
        << bodies.size() << " frames";
    EXPECT_LT(bodies.size(), 20000u) << "records were dropped";
    ASSERT_FALSE(bodies.empty());
    EXPECT_EQ(bodies.back(), shutdown);
    EXPECT_EQ(server.malformedFrames(), 0);
    // Every line reached the file.
    size_t errors = 0;
    for (const std::string& line : logLines(dir.file("d.log")))
        errors += hasLinePrefix(line, "ERROR") ? 1 : 0;
    EXPECT_EQ(errors, 20000u);
}
