#include "export/export_text.h"

#include "stringex.h"

#include <clocale>
#include <cstring>

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

// A text field of the request, never read beyond its 256 bytes.
std::string withoutAt(const char (&field)[256])
{
    return strell::replaceAll("@", std::string(field, strnlen(field, sizeof field)), " ");
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
