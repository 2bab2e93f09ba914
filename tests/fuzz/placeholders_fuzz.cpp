// Placeholder expansion. The input up to the first line end is a String2Hash text of variables, the rest
// the text to expand.
#include "Placeholders.h"
#include "SerializeMap.h"
#include "fuzz_check.h"

#include <cstdint>
#include <map>
#include <string>

namespace {

// Knows no name at all.
class CNothingKnown : public strell::ITranslator {
public:
    std::string GetValue(const std::string& name) const override
    {
        strell::throwReport("unknown", "fuzz", 0, "GetValue");
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t lineEnd = input.find('\n');
    const std::string definitions = input.substr(0, lineEnd);
    const std::string text = lineEnd == std::string::npos ? std::string() : input.substr(lineEnd + 1);

    std::map<std::string, std::string> variables;
    try {
        strell::String2Hash(definitions, variables, false);
    } catch (const strell::exception&) {
        // The pairs read before the bad one stay.
    }

    // Unknown names stay as they are, so with no name known the text comes back unchanged.
    FUZZ_CHECK(strell::ExpandPlaceholders(text, CNothingKnown()) == text);
    FUZZ_CHECK(strell::ExpandPlaceholders(input, CNothingKnown()) == input);

    const strell::CMap2TranslatorAdapter<> translator(variables);
    const std::string expanded = strell::ExpandPlaceholders(text, translator);
    if (text.find('{') == std::string::npos)
        FUZZ_CHECK(expanded == text);
    // A text that is exactly one known braced name becomes its value.
    for (const auto& variable : variables)
        if (variable.first.find_first_of("{}") == std::string::npos)
            FUZZ_CHECK(strell::ExpandPlaceholders("{" + variable.first + "}", translator) == variable.second);
    return 0;
}
