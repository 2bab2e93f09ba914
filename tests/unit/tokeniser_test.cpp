#include "Argv.h"
#include "GeneralParser.h"
#include "SerializeMap.h"
#include "strell_exception.h"
#include "test_support.h"

#include <gtest/gtest.h>

using namespace strell;

namespace {

std::vector<std::string> split(const std::string& text, char separator = ' ', bool quotes = true, bool trim = false)
{
    CGeneralParser parser(separator, quotes, trim);
    parser.Split(text);
    std::vector<std::string> tokens;
    for (int i = 0; i < parser.GetCount(); ++i)
        tokens.push_back(parser.GetToken(i));
    return tokens;
}

using Tokens = std::vector<std::string>;
using Map = std::map<std::string, std::string>;

} // namespace

TEST(Tokeniser, SeparatorsAndQuotes)
{
    EXPECT_EQ(split(";a=1;;"), Tokens{";a=1;;"});
    EXPECT_EQ(split(";a=1;;", ';'), Tokens{"a=1"});
    EXPECT_EQ(split("  -b  \"HKCU\\My Key\" -v 2 "), (Tokens{"-b", "HKCU\\My Key", "-v", "2"}));
    EXPECT_EQ(split("a\"b c\"d e"), (Tokens{"a\"b c\"d", "e"})); // inner quotes protect and stay
    EXPECT_EQ(split("\""), Tokens{"\""});
    EXPECT_EQ(split("\"\""), Tokens{""}); // a quoted empty token is kept
    EXPECT_EQ(split("\"a\" \"b"), (Tokens{"a", "\"b"}));
    EXPECT_EQ(split("x \"open rest of line"), (Tokens{"x", "\"open rest of line"}));
    EXPECT_EQ(split("\"a b\"", ' ', false), (Tokens{"\"a", "b\""}));
    EXPECT_EQ(split(" a ; b ;", ';', true, true), (Tokens{"a", "b"}));
    EXPECT_EQ(split(" ; ", ';', true, true), (Tokens{"", ""})); // trimmed to empty: still kept
    EXPECT_EQ(split(""), Tokens{});
}

TEST(Tokeniser, SplitReplacesTokensAndIndexOutOfRangeIsEmpty)
{
    CGeneralParser parser;
    parser.Split("a b c");
    parser.Split("d");
    EXPECT_EQ(parser.GetCount(), 1);
    EXPECT_EQ(parser.GetToken(0), "d");
    EXPECT_EQ(parser.GetToken(1), "");
    EXPECT_EQ(parser.GetToken(-1), "");
}

TEST(Tokeniser, TokensOfAnyLengthStayWhole)
{
    const std::string big(100000, 'x');
    EXPECT_EQ(split("a " + big + " \"" + big + " " + big + "\" b"), (Tokens{"a", big, big + " " + big, "b"}));
}

TEST(Argv, VectorOfTokens)
{
    CArgv argv("dummy -b \"a b\"  -r");
    ASSERT_EQ(argv.GetArgc(), 4);
    EXPECT_STREQ(argv.GetArgv()[0], "dummy");
    EXPECT_STREQ(argv.GetArgv()[2], "a b");
    EXPECT_STREQ(argv.GetArgv()[3], "-r");

    testsupport::StdoutCapture out;
    argv.DbgShow();
    argv.Assign("   ");
    EXPECT_EQ(argv.GetArgc(), 0);
    EXPECT_EQ(argv.GetArgv(), nullptr);
    argv.DbgShow();
    EXPECT_EQ(out.text(), "argv[ 0] dummy\nargv[ 1] -b\nargv[ 2] a b\nargv[ 3] -r\nCArgv::DbgShow() -  argv==0\n");
}

TEST(String2Hash, Pairs)
{
    Map map{{"old", "1"}};
    String2Hash("a=1;b=x=y;;\"c=d;e\";Name=V;empty=", map, false);
    EXPECT_EQ(map, (Map{{"old", "1"}, {"a", "1"}, {"b", "x=y"}, {"c", "d;e"}, {"Name", "V"}, {"empty", ""}}));
    String2Hash("NAME=w;a=2", map, true);
    EXPECT_EQ(map["name"], "w");
    EXPECT_EQ(map["a"], "2");
    EXPECT_EQ(map["Name"], "V");
}

TEST(String2Hash, NotAPair)
{
    const std::string report = " [\"./inc/SerializeMap:49:strell::String2Hash\"]";
    Map map;
    try {
        String2Hash("a=1;=2;b=3", map, false);
        FAIL();
    } catch (const strell::exception& e) {
        EXPECT_EQ(e.text(), "String2Hash() Not a pair, \"=\" missing in \"=2\"!" + report);
    }
    EXPECT_EQ(map, (Map{{"a", "1"}}));
    try {
        String2Hash("novalue", map, false);
        FAIL();
    } catch (const std::string& text) { // a text handler catches it too
        EXPECT_EQ(text, "String2Hash() Not a pair, \"=\" missing in \"novalue\"!" + report);
    }
}

TEST(Placeholders, Expansion)
{
    const Map map{{"a", "1"}, {"b", "a"}, {"", "EMPTY"}, {"loop", "{loop}"}};
    const CMap2TranslatorAdapter<> adapter(map);
    EXPECT_EQ(ExpandPlaceholders("x{a}y", adapter), "x1y");
    EXPECT_EQ(ExpandPlaceholders("{{b}}", adapter), "1");
    EXPECT_EQ(ExpandPlaceholders("{c}", adapter), "{c}");
    EXPECT_EQ(ExpandPlaceholders("{{c}}", adapter), "{{c}}");
    EXPECT_EQ(ExpandPlaceholders("{x{b}}", adapter), "{xa}"); // inner first, then the unknown outer name
    EXPECT_EQ(ExpandPlaceholders("a}b{a}}", adapter), "a}b1}");
    EXPECT_EQ(ExpandPlaceholders("{}", adapter), "EMPTY");
    EXPECT_EQ(ExpandPlaceholders("{loop}", adapter), "{loop}"); // results are not expanded again
    EXPECT_EQ(ExpandPlaceholders("", adapter), "");
}

TEST(Placeholders, UnclosedBraceKeepsTheRestLiterally)
{
    const Map map{{"a", "1"}};
    const CMap2TranslatorAdapter<> adapter(map);
    EXPECT_EQ(ExpandPlaceholders("x{a}y{a", adapter), "x1y{a");
    EXPECT_EQ(ExpandPlaceholders("{a}{{a} tail", adapter), "1{{a} tail");
    EXPECT_EQ(ExpandPlaceholders("{", adapter), "{");
}

TEST(Placeholders, AdapterReportsUnknownNames)
{
    const Map map{{"a", "1"}};
    const CMap2TranslatorAdapter<> adapter(map);
    EXPECT_EQ(adapter.GetValue("a"), "1");
    try {
        adapter.GetValue("A");
        FAIL();
    } catch (const strell::exception& e) {
        EXPECT_EQ(e.text(), "Value not found \"A\" [\"./inc/SerializeMap:97:"
                            "strell::CMap2TranslatorAdapter<std::map<std::string,std::string> >::GetValue\"]");
    }
}
