// String2Hash. First byte: lower-case names or not; the rest is the text. Every pair it returns, written
// back the way a writer must write it (a pair holding ';' in double quotes), gives the same map again.
#include "SerializeMap.h"
#include "fuzz_check.h"
#include "stringex.h"

#include <cstdint>
#include <map>
#include <string>

namespace {

using Map = std::map<std::string, std::string>;

std::string writeBack(const Map& map)
{
    std::string text;
    for (const auto& pair : map) {
        const std::string written = pair.first + "=" + pair.second;
        text += (written.find(';') == std::string::npos ? written : "\"" + written + "\"") + ";";
    }
    return text;
}

bool hasQuote(const Map& map)
{
    for (const auto& pair : map)
        if (pair.first.find('"') != std::string::npos || pair.second.find('"') != std::string::npos)
            return true;
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const bool lowerCase = (data[0] & 1) != 0;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    Map map;
    try {
        strell::String2Hash(text, map, lowerCase);
    } catch (const strell::exception& e) {
        FUZZ_CHECK(e.text().find("String2Hash() Not a pair, \"=\" missing in \"") == 0);
        return 0;
    }
    for (const auto& pair : map) {
        FUZZ_CHECK(!pair.first.empty());
        FUZZ_CHECK(pair.first.find('=') == std::string::npos);
        FUZZ_CHECK(!lowerCase || pair.first == strell::toLower(pair.first));
    }
    // Quotes inside names or values have no written form that survives a second reading.
    if (hasQuote(map))
        return 0;
    Map again;
    strell::String2Hash(writeBack(map), again, lowerCase);
    FUZZ_CHECK(again == map);
    return 0;
}
