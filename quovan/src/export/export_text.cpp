#include "export/export_text.h"

#include "stringex.h"

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstring>
#include <iterator>
#include <string>

namespace {

// "%f" with a decimal point whatever locale the host has set for the C library at this moment.
std::string number(double value)
{
    std::string text = strell::formatString("%f", value);
    const char* point = std::localeconv()->decimal_point;
    if (point && *point && std::strcmp(point, ".") != 0) {
        const size_t found = text.find(point);
        if (found != std::string::npos)
            text.replace(found, std::strlen(point), ".");
    }
    return text;
}

const size_t kPieceLimit = 2047;

bool isBlanked(char c)
{
    return c == '@' || c == ';' || c == '=' || (c >= '\x01' && c <= '\x1F');
}

// A text field of the request, never read beyond its 256 bytes, with the command's separators and
// control characters replaced by blanks.
std::string withoutAt(const char (&field)[256])
{
    std::string text(field, strnlen(field, sizeof field));
    std::replace_if(text.begin(), text.end(), isBlanked, ' ');
    return text;
}

std::string cornerText(const double (&corners)[8])
{
    return strell::formatString("%s@%s@%s@%s@%s@%s@%s@%s", number(corners[0]).c_str(), number(corners[1]).c_str(),
                                number(corners[2]).c_str(), number(corners[3]).c_str(), number(corners[4]).c_str(),
                                number(corners[5]).c_str(), number(corners[6]).c_str(), number(corners[7]).c_str());
}

std::string mapText(const CMapInfo& map)
{
    return strell::formatString("%s@%s@%s@%d", withoutAt(map.name).c_str(), withoutAt(map.file).c_str(),
                                cornerText(map.corners).c_str(), static_cast<int>(map.scale));
}

} // namespace

std::string buildExportCommand(const CExportRequest& request)
{
    std::string command = "name=druvexportmapex;";
    for (int i = 0; i < request.count && i < CExportRequest::kMaxMaps; ++i) {
        if (i > 0)
            command += ";";
        command += strell::formatString("map%d=%s", i, mapText(request.maps[static_cast<size_t>(i)]).c_str());
    }
    command += strell::formatString(";area=%s@%s@%s@%s;", number(request.area[0]).c_str(),
                                    number(request.area[1]).c_str(), number(request.area[2]).c_str(),
                                    number(request.area[3]).c_str());
    return command;
}

bool fitsExportCommand(const CMapInfo& map)
{
    size_t corners = 7; // the "@" between the numbers
    for (double corner : map.corners) {
        if (!std::isfinite(corner))
            return false;
        corners += number(corner).size();
    }
    // The widest entry: "map63=", name, file, corners and scale joined by "@".
    const size_t entry = 6 + strnlen(map.name, sizeof map.name) + strnlen(map.file, sizeof map.file) + corners +
                         std::to_string(map.scale).size() + 3;
    return corners <= kPieceLimit && entry <= kPieceLimit;
}

bool fitsExportCommand(const double (&area)[4])
{
    return std::all_of(std::begin(area), std::end(area), [](double value) { return std::isfinite(value); });
}
