// The tokeniser and the argument vector. First byte: separator choice and the quote and trim switches;
// the rest is the text.
#include "Argv.h"
#include "GeneralParser.h"
#include "fuzz_check.h"

#include <cstdint>
#include <string>
#include <vector>

namespace {

std::vector<std::string> tokens(const std::string& text, char separator, bool quotes, bool trim)
{
    strell::CGeneralParser parser(separator, quotes, trim);
    parser.Split(text);
    std::vector<std::string> result;
    for (int i = 0; i < parser.GetCount(); ++i)
        result.push_back(parser.GetToken(i));
    FUZZ_CHECK(parser.GetToken(parser.GetCount()).empty() && parser.GetToken(-1).empty());
    return result;
}

// The pieces between separators, empty ones left out: what a split without quotes must give.
std::vector<std::string> plainPieces(const std::string& text, char separator)
{
    std::vector<std::string> pieces;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find(separator, start);
        const std::string piece = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!piece.empty())
            pieces.push_back(piece);
        if (end == std::string::npos)
            return pieces;
        start = end + 1;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    static const char kSeparators[] = {' ', ';', ',', '@', '=', '"', '\0', '\n'};
    const char separator = kSeparators[data[0] & 7];
    const bool quotes = (data[0] & 8) != 0;
    const bool trim = (data[0] & 16) != 0;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);

    const std::vector<std::string> split = tokens(text, separator, quotes, trim);
    FUZZ_CHECK(split.size() <= text.size());
    for (const std::string& token : split) {
        // Empty only when trimmed to nothing or written as "".
        FUZZ_CHECK(trim || !token.empty() || (quotes && text.find("\"\"") != std::string::npos));
        FUZZ_CHECK(text.find(token) != std::string::npos);
        if (trim && !token.empty())
            FUZZ_CHECK(token.front() != ' ' && token.back() != ' ');
    }
    if (!quotes && !trim)
        FUZZ_CHECK(split == plainPieces(text, separator));

    // The argument vector holds the tokens of a blank split with quotes, each terminated.
    CArgv argv(text);
    const std::vector<std::string> words = tokens(text, ' ', true, false);
    FUZZ_CHECK(argv.GetArgc() == static_cast<int>(words.size()));
    FUZZ_CHECK((argv.GetArgv() == nullptr) == words.empty());
    for (size_t i = 0; i < words.size(); ++i)
        FUZZ_CHECK(std::string(argv.GetArgv()[i]) == words[i].substr(0, words[i].find('\0')));
    return 0;
}
