// The command-line parser. The input's first line declares arguments ("<short> <long> <type digit>"
// triples, blank-separated, ambiguous ones refused), the second line is the command line after the
// program's name, the third is the value of the variables argument given beside it.
#include "CommandLineArguments.h"
#include "GeneralParser.h"
#include "fuzz_check.h"
#include "strell_exception.h"

#include <cstdint>
#include <map>
#include <string>

namespace {

class CFuzzArguments : public CommandLineArguments {
public:
    void ShowVersion() override { versionShown = true; }
    size_t declared() const { return m_Arguments.size(); }
    bool versionShown = false;
};

bool positive(CommandLineArgumentValue value)
{
    return value.m_IntValue > 0;
}

std::string line(const std::string& input, size_t index)
{
    size_t start = 0;
    for (size_t i = 0; i < index; ++i) {
        start = input.find('\n', start);
        if (start == std::string::npos)
            return std::string();
        ++start;
    }
    return input.substr(start, input.find('\n', start) - start);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    CFuzzArguments options;
    options.AddVariablesArgument();
    options.AddArgument(CommandLineArgument("-n", "--number", CommandLineArgument::TYPE_INTEGER, false, "N", positive));
    options.SetDefaultValue("1");
    options.AddArgument(CommandLineArgument("-t", "--text", CommandLineArgument::TYPE_STRING, true, "T"));

    strell::CGeneralParser declarations(' ', true, false);
    declarations.Split(line(input, 0));
    for (int i = 0; i + 2 < declarations.GetCount() && i < 30; i += 3) {
        const std::string shortName = declarations.GetToken(i);
        const std::string longName = declarations.GetToken(i + 1);
        const int type = declarations.GetToken(i + 2)[0] - '0';
        const size_t before = options.declared();
        try {
            options.AddArgument(CommandLineArgument(shortName, longName, type, false, "fuzz"));
            FUZZ_CHECK(options.FindArgument(shortName) != nullptr);
        } catch (const std::string& text) {
            FUZZ_CHECK(text.find("Parameters ambiguous:\n") == 0);
            FUZZ_CHECK(options.declared() == before);
        }
    }

    const std::string variables = line(input, 2);
    const std::string commandLine = "program " + line(input, 1) + (variables.empty() ? "" : " -99 \"" + variables + "\"");
    bool parsed = false;
    try {
        options.ParseCommandLine(commandLine);
        parsed = true;
    } catch (const strell::exception&) {
        // A variables text that is no list of pairs.
    } catch (const std::string& text) {
        FUZZ_CHECK(text.find("Unexpected argument found: ") == 0 || text.find("Argument missing for parameter: ") == 0);
    }
    if (parsed) {
        try {
            options.Validate();
            FUZZ_CHECK(options.GetBool("-t") && options.GetInt("-n") > 0);
        } catch (const std::string& text) {
            FUZZ_CHECK(text.find("Required parameter missing: ") == 0 || text.find("Invalid value for parameter: ") == 0);
        }
        FUZZ_CHECK(options.versionShown == options.GetBool("--version"));
    }

    std::map<std::string, std::string> values;
    options.GetValueMap(values);
    FUZZ_CHECK(!values.empty() && values.size() <= options.declared());
    const std::string help = options.GetHelpText("> ");
    size_t lines = 0;
    for (char c : help)
        lines += c == '\n' ? 1 : 0;
    // One line per argument, unless a description or name brings its own line ends.
    FUZZ_CHECK(lines >= options.declared() + 1);
    FUZZ_CHECK(help.find("> Options:\n") == 0);
    return 0;
}
