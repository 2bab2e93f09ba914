#include "export/export_request.h"

#include <algorithm>
#include <cstring>

bool CExportRequest::add(const CMapInfo& map)
{
    if (full())
        return false;
    maps[static_cast<size_t>(count)] = map;
    ++count;
    return true;
}

void setMapText(char (&field)[256], const std::string& text)
{
    const size_t length = std::min(text.size(), sizeof field - 1);
    std::memcpy(field, text.data(), length);
    field[length] = '\0';
}

std::string mapFileFromDataPath(const std::string& dataPath)
{
    // Only a dot in the file name starts an extension; "C:\Karten.v2\tirol" has none.
    const size_t nameStart = dataPath.find_last_of("\\/");
    const size_t dot = dataPath.find_last_of('.');
    const bool hasExtension = dot != std::string::npos && (nameStart == std::string::npos || dot > nameStart);
    return (hasExtension ? dataPath.substr(0, dot) : dataPath) + ".mph";
}
