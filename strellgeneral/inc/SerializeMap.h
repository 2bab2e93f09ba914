#pragma once
// Name=value texts: the pair parser and the map adapter for placeholder expansion.

#include "Placeholders.h"
#include "strell_exception.h"
#include "stringex.h"

#include <map>
#include <string>
#include <type_traits>

namespace strell {

// Reads "name=value" pairs separated by ';' (double quotes protect a ';') into the map; a later pair
// replaces an earlier one of the same name. A pair without '=' or with an empty name raises
// strell::exception; the pairs stored before it stay in the map.
void String2Hash(const std::string& text, std::map<std::string, std::string>& map, bool lowerCaseNames);

// Translator over a map of texts: the map's text for a name (exact, case-sensitive).
template <class Map = std::map<std::string, std::string>>
class CMap2TranslatorAdapter : public ITranslator {
    static_assert(std::is_same<Map, std::map<std::string, std::string>>::value,
                  "CMap2TranslatorAdapter works on a map of texts");

public:
    explicit CMap2TranslatorAdapter(const Map& map) : m_Map(map) {}

    std::string GetValue(const std::string& name) const override
    {
        const auto found = m_Map.find(name);
        if (found == m_Map.end())
            throwReport(formatString("Value not found \"%s\"", name.c_str()), "./inc/SerializeMap", 97,
                        "strell::CMap2TranslatorAdapter<std::map<std::string,std::string> >::GetValue");
        return found->second;
    }

private:
    const Map& m_Map;
};

} // namespace strell
