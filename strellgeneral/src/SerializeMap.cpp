#define STRELL_SOURCE "./inc/SerializeMap"

#include "SerializeMap.h"

#include "GeneralParser.h"

namespace strell {

void String2Hash(const std::string& text, std::map<std::string, std::string>& map, bool lowerCaseNames)
{
    CGeneralParser parser(';', true, false);
    parser.Split(text);
    for (int i = 0; i < parser.GetCount(); ++i) {
        const std::string token = parser.GetToken(i);
        const size_t equals = token.find('=');
        if (equals == std::string::npos || equals == 0)
            STRELL_THROW_AT(49, "strell::String2Hash",
                            formatString("String2Hash() Not a pair, \"=\" missing in \"%s\"!", token.c_str()));
        std::string name = token.substr(0, equals);
        if (lowerCaseNames)
            name = toLower(name);
        map[name] = token.substr(equals + 1);
    }
}

} // namespace strell
