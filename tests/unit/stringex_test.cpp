#include "stringex.h"
#include "strell_exception.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <clocale>

using namespace strell;

TEST(Charset, UmlautIsOneCp1252Byte)
{
    const std::string text = "ü";
    ASSERT_EQ(text.size(), 1u);
    EXPECT_EQ(static_cast<unsigned char>(text[0]), 0xFC);
    EXPECT_EQ(GetACP(), 1252u);
}

TEST(FormatString, CutsAt2047Characters)
{
    const std::string long3000(3000, 'x');
    const std::string result = formatString("%s", long3000.c_str());
    EXPECT_EQ(result.size(), 2047u);
    EXPECT_EQ(formatString("%d-%s", 7, "a"), "7-a");
}

TEST(CaseAndTrim, ByteWiseAndBlanksOnly)
{
    EXPECT_EQ(toLower("AbC-Ü"), "abc-Ü"); // the C locale leaves bytes above 127 alone
    EXPECT_EQ(toUpper("hklm\\x"), "HKLM\\X");
    EXPECT_EQ(trim(" \t a b \t"), "a b");
    EXPECT_EQ(trimLeft("  x "), "x ");
    EXPECT_EQ(trimRight("  x \t"), "  x");
    EXPECT_EQ(trim("\n x\n"), "\n x\n");
    EXPECT_EQ(trim("   "), "");
    EXPECT_EQ(trimCharsRight("a\\\\", "\\"), "a");
    EXPECT_EQ(trimCharsRight("abc", ""), "abc");
    EXPECT_EQ(trimCharsRight("\\\\", "\\"), "");
    EXPECT_TRUE(startsWith("#redirect ", "#redirect x"));
    EXPECT_FALSE(startsWith("abc", "ab"));
    EXPECT_EQ(toBackslashes("C:/a/b"), "C:\\a\\b");
}

TEST(Paths, SplitOnBothSeparatorsJoinWithBackslash)
{
    EXPECT_EQ(getFolder("name.ini"), "");
    EXPECT_EQ(getFolder("C:\\a/b\\c.ini"), "C:\\a/b");
    EXPECT_EQ(getFileName("C:\\a\\"), "");
    EXPECT_EQ(getFileName("C:/a/b.txt"), "b.txt");
    EXPECT_EQ(getFileName("plain"), "plain");
    EXPECT_EQ(getExtension("archive.tar.gz"), "gz");
    EXPECT_EQ(getExtension("C:\\dir.d\\file"), "d\\file");
    EXPECT_EQ(getExtension("noext"), "");
    EXPECT_EQ(joinPath("C:\\a\\\\", "b"), "C:\\a\\b");
    EXPECT_EQ(joinPath("", "b"), "\\b");
    EXPECT_EQ(joinPath("C:/a/", "b"), "C:/a/\\b");
    EXPECT_EQ(joinPath("C:\\Maps\\", "bin\\PlugIn"), "C:\\Maps\\bin\\PlugIn");
}

TEST(ReplaceAll, ReplacesEveryOccurrenceOnce)
{
    int count = -5;
    EXPECT_EQ(replaceAll("\r\n", "a\r\nb\r\n", "", -1, &count), "ab");
    EXPECT_EQ(count, 2);
    // An occurrence at the start no longer ends the loop.
    EXPECT_EQ(replaceAll("\r\n", "\r\nx\r\ny", "", -1, &count), "xy");
    EXPECT_EQ(count, 2);
    // The replacement is never searched again, even when it contains the pattern.
    EXPECT_EQ(replaceAll("a", "aXa", "aa", -1, &count), "aaXaa");
    EXPECT_EQ(count, 2);
    EXPECT_EQ(replaceAll(";", "a;b;c", ",", 1, &count), "a,b;c");
    EXPECT_EQ(count, 1);
    EXPECT_EQ(replaceAll("", "abc", "x", -1, &count), "abc");
    EXPECT_EQ(count, 0);
    EXPECT_EQ(replaceAll("{facility}", "f={facility};", "log", 1), "f=log;");
    EXPECT_EQ(replaceAll("x", "none", "y", 0, &count), "none");
    EXPECT_EQ(count, 0);
}

TEST(SplitAt, HeadAndTailOrDebugNotice)
{
    std::string head, tail = "keep";
    splitAt("HKLM\\SOFTWARE\\X", "\\", head, tail);
    EXPECT_EQ(head, "HKLM");
    EXPECT_EQ(tail, "SOFTWARE\\X");

    testsupport::DebugOutputCapture debug;
    tail = "keep";
    splitAt("nosep", "\\", head, tail);
    EXPECT_EQ(head, "nosep");
    EXPECT_EQ(tail, "keep");
    splitAt("\\lead", "\\", head, tail);
    EXPECT_EQ(head, "\\lead");
    EXPECT_EQ(tail, "keep");
    EXPECT_EQ(debug.joined(), "separator not found\nseparator not found\n");
}

TEST(FloatText, AlwaysDecimalPoint)
{
    EXPECT_EQ(floatToString(1.5), "1.500000");
    EXPECT_DOUBLE_EQ(stringToFloat("1.5"), 1.5);
    EXPECT_DOUBLE_EQ(stringToFloat("abc"), 0.0);
}

TEST(Win32ErrorText, SystemTextWithCode)
{
    const std::string text = getWin32ErrorText(5);
    ASSERT_FALSE(text.empty());
    EXPECT_NE(text.find(" (err: 5,0x5)"), std::string::npos) << text;
    EXPECT_EQ(text.find("\r\n"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 13), " (err: 5,0x5)");
    EXPECT_EQ(getWin32ErrorText(0x2badf00d), "");
}

TEST(DebugPrint, CutsAt2047)
{
    testsupport::DebugOutputCapture debug;
    debugPrint("%s", std::string(3000, 'y').c_str());
    debugOutput("100%s");
    ASSERT_EQ(debug.messages().size(), 2u);
    EXPECT_EQ(debug.messages()[0].size(), 2047u);
    EXPECT_EQ(debug.messages()[1], "100%s");
}

#define STRELL_SOURCE "./src/example"
TEST(ErrorReports, FormatsOfTheLibrary)
{
    try {
        STRELL_THROW("strell::example", "message");
        FAIL();
    } catch (const std::string& text) {
        EXPECT_EQ(text, "message [\"./src/example:" + std::to_string(__LINE__ - 3) + ":strell::example\"]");
    }
    const int x = 0;
    try {
        STRELL_ASSERT(x != 0, "regOpen", "Could not open key \"K\"!");
        FAIL();
    } catch (const strell::exception& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Assertion \"x != 0\" failed \"Could not open key \"K\"!\" [\"./src/example:" +
                      std::to_string(__LINE__ - 5) + ":regOpen\"]");
        EXPECT_EQ(e.text(), e.what());
    }
    EXPECT_EQ(assertionText("!blocking", ""), "Assertion \"!blocking\" failed ");
    try {
        throwWin32("EnumProcesses(query size) failed", 5, "./src/strell_process", 12);
    } catch (const strell::exception& e) {
        EXPECT_EQ(e.text(), "EnumProcesses(query size) failed " + getWin32ErrorText(5) + " [\"./src/strell_process:12\"]");
    }
}

namespace {
// A message built with an API call that sets its own last error on the way.
std::string messageThatSetsLastError(const std::string& text)
{
    SetLastError(ERROR_FILE_NOT_FOUND);
    return text;
}
} // namespace

TEST(ErrorReports, Win32CodeIsTakenBeforeTheMessageIsBuilt)
{
    SetLastError(ERROR_ACCESS_DENIED);
    try {
        STRELL_THROW_WIN32(messageThatSetsLastError("OpenProcess(processid: 4) failed"));
        FAIL();
    } catch (const strell::win32exception& e) {
        EXPECT_EQ(e.errorCode(), 5u);
        EXPECT_EQ(e.text(), "OpenProcess(processid: 4) failed " + getWin32ErrorText(5) + " [\"./src/example:" +
                                std::to_string(__LINE__ - 5) + "\"]");
    }
    try {
        STRELL_THROW_WIN32_CODE(messageThatSetsLastError("copyFile"), ERROR_SHARING_VIOLATION);
        FAIL();
    } catch (const strell::win32exception& e) {
        EXPECT_EQ(e.errorCode(), 32u);
        EXPECT_EQ(e.text().find("copyFile " + getWin32ErrorText(32) + " [\"./src/example:"), 0u) << e.text();
    }
}
