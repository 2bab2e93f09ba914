#include "CommandLineArguments.h"
#include "strell_exception.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <vector>

using testsupport::TempDir;
using testsupport::writeFile;

namespace {

// Records the version request instead of ending the process.
class TestArguments : public CommandLineArguments {
public:
    int versionShown = 0;
    void ShowVersion() override { ++versionShown; }
    void dropAllArguments() { m_Arguments.clear(); }
};

// The installer's declarations.
void declareInstallerOptions(CommandLineArguments& options)
{
    options.AddArgument(CommandLineArgument("-h", "--help", CommandLineArgument::TYPE_BOOL, false,
                                            "Displays the helpscreen"));
    options.AddArgument(CommandLineArgument("-v", "--verbose", CommandLineArgument::TYPE_INTEGER, false,
                                            "Verbose level (0-3)"));
    options.AddArgument(CommandLineArgument("-r", "--remove", CommandLineArgument::TYPE_BOOL, false,
                                            "Removes the plugin from all found directories"));
    options.AddArgument(CommandLineArgument("-u", "--url", CommandLineArgument::TYPE_STRING, false,
                                            "Launches the given url"));
    options.AddArgument(CommandLineArgument("-b", "--basekey", CommandLineArgument::TYPE_STRING, false,
                                            "My string parameter"));
    options.SetDefaultValue("HKLM\\SOFTWARE\\EADS Deutschland GmbH");
}

const char kVerboseDescription[] = "\"--verbose\" \"-v\" \n  type       : integer \n  description: Verbose level (0-3)";

void parse(CommandLineArguments& options, std::vector<const char*> tokens)
{
    tokens.insert(tokens.begin(), "dummy");
    options.Parse(tokens.data(), static_cast<int>(tokens.size()));
}

std::string thrownText(CommandLineArguments& options, std::vector<const char*> tokens)
{
    try {
        parse(options, tokens);
    } catch (const std::string& text) {
        return text;
    }
    return "<nothing thrown>";
}

} // namespace

TEST(CommandLine, NothingGiven)
{
    TestArguments options;
    declareInstallerOptions(options);
    options.ParseCommandLine("dummy");
    options.Validate();
    EXPECT_FALSE(options.GetBool("--help"));
    EXPECT_FALSE(options.GetBool("-h"));
    EXPECT_EQ(options.GetInt("--verbose"), 0);
    EXPECT_EQ(options.GetString("--basekey"), "HKLM\\SOFTWARE\\EADS Deutschland GmbH");
    EXPECT_EQ(options.GetString("--undeclared"), "");
    EXPECT_EQ(options.GetInt("--undeclared"), 0);
    EXPECT_FALSE(options.GetBool("--undeclared"));
    EXPECT_EQ(options.versionShown, 0);
    options.ParseCommandLine("");
    EXPECT_EQ(options.versionShown, 0);
}

TEST(CommandLine, ValuesAndFlags)
{
    TestArguments options;
    declareInstallerOptions(options);
    parse(options, {"-v", "2", "--verbose", "3", "-u", "-r", "--remove"});
    EXPECT_EQ(options.GetInt("-v"), 3);
    EXPECT_EQ(options.GetString("--verbose"), "3");
    EXPECT_EQ(options.GetString("--url"), "-r"); // the token after a value option is its value
    EXPECT_TRUE(options.GetBool("-r"));
    EXPECT_EQ(options.GetString("-r"), "--remove"); // a flag's text is the option as typed
    EXPECT_TRUE(options.GetBool("--url"));

    parse(options, {"-v", "abc", "-r"});
    EXPECT_EQ(options.GetInt("-v"), 0);
    EXPECT_EQ(options.GetString("--remove"), "-r");
    EXPECT_EQ(options.versionShown, 0);
}

TEST(CommandLine, QuotedValueWithBlank)
{
    TestArguments options;
    declareInstallerOptions(options);
    options.ParseCommandLine("dummy -b \"HKCU\\Software\\My Maps\" -r");
    EXPECT_EQ(options.GetString("-b"), "HKCU\\Software\\My Maps");
    EXPECT_TRUE(options.GetBool("--remove"));
}

TEST(CommandLine, Errors)
{
    TestArguments options;
    declareInstallerOptions(options);
    EXPECT_EQ(thrownText(options, {"-r", "--variables"}), "Unexpected argument found: --variables");
    EXPECT_EQ(thrownText(options, {"-R"}), "Unexpected argument found: -R"); // case-sensitive
    EXPECT_EQ(thrownText(options, {"--verb"}), "Unexpected argument found: --verb"); // no abbreviations
    EXPECT_EQ(thrownText(options, {"--url=x"}), "Unexpected argument found: --url=x");
    EXPECT_EQ(thrownText(options, {"stray"}), "Unexpected argument found: stray");
    EXPECT_EQ(thrownText(options, {"-v"}), std::string("Argument missing for parameter: ") + kVerboseDescription);
    EXPECT_EQ(thrownText(options, {"--url"}), "Argument missing for parameter: \"--url\" \"-u\" \n"
                                              "  type       : string \n  description: Launches the given url");
}

TEST(CommandLine, VersionOnlyAfterTheWholeLineIsAccepted)
{
    TestArguments options;
    declareInstallerOptions(options);
    EXPECT_EQ(thrownText(options, {"--version", "--bogus"}), "Unexpected argument found: --bogus");
    EXPECT_EQ(options.versionShown, 0);
    parse(options, {"-r", "-ver"});
    EXPECT_EQ(options.versionShown, 1);
    TestArguments other;
    parse(other, {"--version"});
    EXPECT_EQ(other.versionShown, 1);
}

TEST(CommandLine, Ambiguity)
{
    CommandLineArguments options;
    declareInstallerOptions(options);
    try {
        options.AddArgument(CommandLineArgument("-x", "--help", CommandLineArgument::TYPE_STRING, true, "Other"));
        FAIL();
    } catch (const std::string& text) {
        EXPECT_EQ(text, "Parameters ambiguous:\n\"--help\" \"-h\" \n  type       : bool \n  description: Displays the "
                        "helpscreen\n\n\"--help\" \"-x\" \n  type       : string \n  description: Other");
    }
    EXPECT_THROW(options.AddArgument(CommandLineArgument("-h", "--other", CommandLineArgument::TYPE_BOOL, false, "")),
                 std::string);
    options.AddArgument(CommandLineArgument("", "--long-only", CommandLineArgument::TYPE_BOOL, false, "A"));
    try { // two arguments without a short name collide on the empty name
        options.AddArgument(CommandLineArgument("", "--second", CommandLineArgument::TYPE_FLOAT, false, "B"));
        FAIL();
    } catch (const std::string& text) {
        EXPECT_EQ(text, "Parameters ambiguous:\n\"--long-only\" \n  type       : bool \n  description: A\n\n"
                        "\"--second\" \n  type       : float \n  description: B");
    }
}

TEST(CommandLine, HelpLayout)
{
    CommandLineArguments options;
    declareInstallerOptions(options);
    EXPECT_EQ(options.GetHelpText(""), "Options:\n"
                                       "  -ver, --version         ...optional, Show the version of the program\n"
                                       "  -h, --help              ...optional, Displays the helpscreen\n"
                                       "  -v, --verbose {integer} ...optional, Verbose level (0-3)\n"
                                       "  -r, --remove            ...optional, Removes the plugin from all found "
                                       "directories\n"
                                       "  -u, --url {string}      ...optional, Launches the given url\n"
                                       "  -b, --basekey {string}  ...optional, My string parameter\n");

    options.AddArgument(CommandLineArgument("-f", "--factor", CommandLineArgument::TYPE_FLOAT, true, "F"));
    options.AddArgument(CommandLineArgument("-o", "--odd", 9, false, "O"));
    testsupport::StdoutCapture out;
    options.PrintHelp(stdout, "> ");
    const std::string help = out.text();
    EXPECT_NE(help.find("> Options:\n>   -ver, --version         ...optional, Show"), std::string::npos) << help;
    EXPECT_NE(help.find(">   -f, --factor {float}    ...required, F\n"), std::string::npos) << help;
    EXPECT_NE(help.find(">   -o, --odd {}            ...optional, O\n"), std::string::npos) << help;
}

TEST(CommandLine, ValidateRequiredAndValidators)
{
    TestArguments options;
    options.AddArgument(CommandLineArgument("-n", "--name", CommandLineArgument::TYPE_STRING, true, "Name"));
    options.AddArgument(CommandLineArgument(
        "-c", "--count", CommandLineArgument::TYPE_INTEGER, false, "Count",
        [](CommandLineArgumentValue value) { return value.m_IntValue > 0 && value.m_Type == 1; }, "0"));
    try {
        options.Validate();
        FAIL();
    } catch (const std::string& text) {
        EXPECT_EQ(text, "Required parameter missing: \"--name\" \"-n\" \n  type       : string \n  description: Name");
    }
    parse(options, {"-n", "x"});
    try { // the validator sees the default of an argument that was not given
        options.Validate();
        FAIL();
    } catch (const std::string& text) {
        EXPECT_EQ(text, "Invalid value for parameter: \"--count\" \"-c\" \n  type       : integer \n  description: "
                        "Count\n");
    }
    parse(options, {"-c", "4"});
    options.Validate();
}

TEST(CommandLine, DefaultNeedsAnArgument)
{
    TestArguments options;
    EXPECT_NE(options.GetLastArgument(false, "x"), nullptr);
    options.dropAllArguments();
    EXPECT_EQ(options.GetLastArgument(false, "x"), nullptr);
    try {
        options.SetDefaultValue("3");
        FAIL();
    } catch (const std::string& text) {
        EXPECT_EQ(text, "SetDefaultValue::Add an argument first! (argument count == 0)");
    }
    try {
        options.GetLastArgument(true, "Op");
        FAIL();
    } catch (const std::string& text) {
        EXPECT_EQ(text, "Op::Add an argument first! (argument count == 0)");
    }
}

TEST(CommandLine, Variables)
{
    TestArguments options;
    declareInstallerOptions(options);
    options.AddVariablesArgument();
    parse(options, {"-b", "{name}\\{x}\\{nope}", "--variables", "name=World;x={name}", "-u", "{x}"});
    EXPECT_EQ(options.GetString("--basekey"), "World\\{name}\\{nope}"); // x comes after name in map order
    EXPECT_EQ(options.GetString("--url"), "{name}");
    EXPECT_EQ(options.GetString("--variables"), "name=World;x=World"); // substituted like any value
    EXPECT_EQ(options.GetVariables().at("name"), "World");

    TestArguments bad;
    bad.AddVariablesArgument();
    try {
        parse(bad, {"--variables", "a=1;novalue"});
        FAIL();
    } catch (const std::string& text) {
        EXPECT_EQ(text, "String2Hash() Not a pair, \"=\" missing in \"novalue\"! "
                        "[\"./inc/SerializeMap:49:strell::String2Hash\"]");
    }
    EXPECT_EQ(bad.GetVariables().at("a"), "1");

    TestArguments upper;
    upper.AddVariablesArgument();
    EXPECT_EQ(thrownText(upper, {"--VARIABLES", "a=1"}), "Unexpected argument found: --VARIABLES");
    EXPECT_EQ(upper.GetVariables().at("a"), "1");

    TestArguments off; // without the variables argument nothing is replaced
    declareInstallerOptions(off);
    parse(off, {"-u", "{a}"});
    EXPECT_EQ(off.GetString("-u"), "{a}");
}

TEST(CommandLine, IniValuesReplaceTheCommandLine)
{
    TempDir dir;
    const std::string file = dir.file("options.ini");
    writeFile(file, "[Parameters]\nbasekey=HKCU\\From File\nverbose=2\nremove=\nv9=9\n[other]\nhelp=1\n");
    TestArguments options;
    declareInstallerOptions(options);
    options.AddArgument(CommandLineArgument("-v9", "", CommandLineArgument::TYPE_INTEGER, false, "short only"));
    options.AddArgument(CommandLineArgument("-x", "--elsewhere", CommandLineArgument::TYPE_STRING, false, "E"))
        .SetIniSection("other");
    options.AddArgument(CommandLineArgument("-k", "--keyed", CommandLineArgument::TYPE_STRING, false, "K"))
        .SetIniKey("help");
    parse(options, {"-b", "cmd", "-v", "1"});
    options.LoadFromIni(file);
    EXPECT_EQ(options.GetString("-b"), "HKCU\\From File");
    EXPECT_EQ(options.GetInt("-v"), 2);
    EXPECT_FALSE(options.GetBool("--remove")); // an empty switch is a no
    EXPECT_FALSE(options.GetBool("--help"));
    EXPECT_FALSE(options.GetBool("-x"));
    EXPECT_EQ(options.GetInt("-v9"), 9); // key from the short name
    EXPECT_EQ(options.GetString("--keyed"), "");
    EXPECT_FALSE(options.GetBool("--keyed")); // [parameters] has no key help

    options.LoadFromIni(dir.file("missing.ini")); // nothing changes, nothing reported
    EXPECT_EQ(options.GetInt("-v"), 2);

    // A switch takes a yes or a no; anything else names key and value.
    writeFile(file, "[Parameters]\nremove= On \n");
    options.LoadFromIni(file);
    EXPECT_TRUE(options.GetBool("--remove"));
    writeFile(file, "[Parameters]\nremove=maybe\n");
    std::string error;
    try {
        options.LoadFromIni(file);
    } catch (const std::string& e) {
        error = e;
    }
    EXPECT_EQ(error.rfind("Invalid value for switch in option file: remove=maybe", 0), 0u) << error;
}

TEST(CommandLine, ValueMapAndDump)
{
    TestArguments options;
    declareInstallerOptions(options);
    options.AddArgument(CommandLineArgument("-f", "--factor", CommandLineArgument::TYPE_FLOAT, false, "F"));
    options.AddArgument(CommandLineArgument("-s", "---three", CommandLineArgument::TYPE_STRING, false, "S"));
    parse(options, {"-v", "3", "-r", "-f", "1.25", "-s", "t"});
    EXPECT_FLOAT_EQ(options.GetFloat("--factor"), 1.25f);
    EXPECT_EQ(options.GetFloat("--undeclared"), 0.0f);
    std::map<std::string, std::string> map;
    options.GetValueMap(map);
    EXPECT_EQ(map, (std::map<std::string, std::string>{{"version", "0"},
                                                       {"help", "0"},
                                                       {"verbose", "3"},
                                                       {"remove", "1"},
                                                       {"url", ""},
                                                       {"basekey", "HKLM\\SOFTWARE\\EADS Deutschland GmbH"},
                                                       {"factor", "1.25"},
                                                       {"-three", "t"}}));

    testsupport::StdoutCapture out;
    options.Dump(stdout, "# ");
    EXPECT_EQ(out.text(), "# -ver, --version      : disabled\n"
                          "# -h, --help           : disabled\n"
                          "# -v, --verbose        : 3\n"
                          "# -r, --remove         : enabled\n"
                          "# -u, --url            : \n"
                          "# -b, --basekey        : HKLM\\SOFTWARE\\EADS Deutschland GmbH\n"
                          "# -f, --factor         : 1.250000\n"
                          "# -s, ---three         : t\n");
}

TEST(CommandLine, ThousandsOfTokens)
{
    TestArguments options;
    declareInstallerOptions(options);
    std::string line = "dummy";
    for (int i = 0; i < 5000; ++i)
        line += i % 2 ? " -r" : " -v " + std::to_string(i);
    options.ParseCommandLine(line);
    EXPECT_EQ(options.GetInt("-v"), 4998);

    std::string unbalanced = line + " -b \"open quote -r -r";
    options.ParseCommandLine(unbalanced);
    EXPECT_EQ(options.GetString("-b"), "\"open quote -r -r");
}
