#pragma once
// What the export command hands to the desktop program: the descriptions of the host's maps and the
// marked area.

#include <array>
#include <cstdint>
#include <string>

// One available map. Texts hold at most 255 characters; longer ones are cut.
struct CMapInfo {
    char name[256] = {};
    // The map data's path with ".mph" in place of its extension.
    char file[256] = {};
    // The four corner points as the host gives them, two numbers each.
    double corners[8] = {};
    int32_t scale = 0;
};

struct CExportRequest {
    static const int kMaxMaps = 64;

    std::array<CMapInfo, kMaxMaps> maps;
    int32_t count = 0;
    // Top-left first and second coordinate, bottom-right first and second coordinate.
    double area[4] = {};

    bool full() const { return count >= kMaxMaps; }
    // Appends the map; false (and nothing changes) when the request already holds kMaxMaps.
    bool add(const CMapInfo& map);
};

// Copies at most 255 characters of the text and terminates the field.
void setMapText(char (&field)[256], const std::string& text);

// The desktop program's file of a map: the data path with the extension of its file name replaced
// by ".mph"; a file name without extension gets ".mph" appended.
std::string mapFileFromDataPath(const std::string& dataPath);
