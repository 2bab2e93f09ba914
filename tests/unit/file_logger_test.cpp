#include "FileLogger.h"
#include "strell_trace.h"
#include "stringex.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <windows.h>

using strell::CFileLogger;

namespace {
// The file as the program wrote it (text mode turns "\n" into "\r\n").
std::string fileText(const std::string& path)
{
    return strell::replaceAll("\r\n", testsupport::readFile(path), "\n");
}
std::string currentFolder()
{
    char buffer[1024];
    return std::string(buffer, GetCurrentDirectoryA(sizeof buffer, buffer));
}
} // namespace

TEST(CFileLogger, AttachLineNewlineRulesAndLiteralPercent)
{
    testsupport::TempDir dir("flog");
    testsupport::CurrentFolder cd(dir.path());
    {
        CFileLogger logger("test.log");
        EXPECT_FALSE(logger.isOpen());
        EXPECT_FALSE(testsupport::exists(dir.file("test.log"))) << "opened only by the first write";
        logger.write("first");
        logger.write("ends with newline\n");
        logger.write("");
        logger.write("%s %d %% %n");
        logger.write("two\nlines");
    }
    EXPECT_EQ(fileText(dir.file("test.log")), "attached to log file " + currentFolder() +
                                                  "\\test.log\n"
                                                  "first\nends with newline\n\n%s %d %% %n\ntwo\nlines\n");
}

TEST(CFileLogger, AppendsAcrossLoggersWithANewAttachLineAndKeepsAbsoluteNames)
{
    testsupport::TempDir dir("flog");
    const std::string path = dir.file("abs.log");
    testsupport::writeFile(path, "existing\n");
    { CFileLogger(path).write("one"); }
    { CFileLogger(path).write("two"); }
    const std::string attach = "attached to log file " + currentFolder() + "\\" + path + "\n";
    EXPECT_EQ(fileText(path), "existing\n" + attach + "one\n" + attach + "two\n");
}

TEST(CFileLogger, LinesGoToTheDebuggerAndTheVerboseTrace)
{
    testsupport::TempDir dir("flog");
    CFileLogger logger(dir.file("echo.log"));
    const int saved = strell::getTraceLevel();
    testsupport::DebugOutputCapture debug;
    testsupport::StdoutCapture out;
    strell::setTraceLevel(0);
    logger.write("quiet %s");
    strell::setTraceLevel(1);
    logger.write("loud");
    strell::setTraceLevel(saved);
    const std::string console = out.text();
    EXPECT_EQ(console.find("quiet"), std::string::npos);
    EXPECT_NE(console.find("loud\n\n"), std::string::npos) << console;
    const auto messages = debug.messages();
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0].rfind("attached to log file ", 0), 0u);
    EXPECT_EQ(messages[1], "quiet %s\n");
    EXPECT_EQ(messages[2], "loud\n");
}

TEST(CFileLogger, UnopenableFileCostsOnlyADiagnosticAndIsRetried)
{
    testsupport::TempDir dir("flog");
    const std::string path = dir.file("later\\x.log");
    CFileLogger logger(path);
    testsupport::DebugOutputCapture debug;
    EXPECT_FALSE(logger.write("lost"));
    EXPECT_FALSE(logger.isOpen());
    EXPECT_EQ(debug.joined(), "m_Logfile==0: lost");
    CreateDirectoryA(dir.file("later").c_str(), nullptr);
    EXPECT_TRUE(logger.write("kept"));
    EXPECT_TRUE(logger.isOpen());
    const std::string text = fileText(path);
    EXPECT_EQ(text.find("lost"), std::string::npos);
    EXPECT_NE(text.find("\\x.log\nkept\n"), std::string::npos) << text;
}
