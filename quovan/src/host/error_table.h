#pragma once
// The host's table of error texts and the codes that the plug-in's wrappers raise.

#include <cstddef>

struct CGeoErrorEntry {
    int code;
    const char* text;
};

// Ends with an entry whose code is 0.
extern const CGeoErrorEntry g_GeoErrorTable[];

// Text of the first entry with the code (scanning from the first entry); null when the code is not in
// the table. Without a table: the host's table.
const char* findGeoErrorText(int code);
const char* findGeoErrorText(const CGeoErrorEntry* table, int code);
// Number of entries before the terminating one.
size_t geoErrorTableSize();

// Codes raised by the wrappers (the failed host operation).
namespace geoerror {
enum : int {
    None = 1, // a freshly prepared exception
    MenuNotAdded = 2,
    MenuItemNotAdded = 3,
    DocumentNotAttached = 7,
    CoordinatesNotConverted = 11,
    LineNotCreated = 17,
    MenuNotCreated = 18,
    PlugInMenuNotDeleted = 31,
    DocumentNotDetached = 32,
    MapsNotAvailable = 35,
    CoordinatesNotAvailable = 47,
    DocumentNotAvailable = 54,
    MenuNotAvailable = 85,
    MapCornersNotAvailable = 156,
    MapNameNotAvailable = 157,
    MapPathNotAvailable = 158,
    MapScaleNotAvailable = 160,
    NotInitialised = 166,
    GraphicColorNotSet = 183,
    CoordinatesNotSet = 185,
    FlagNotSet = 191,
    MenuItemStateNotSet = 199,
    MessageBoxNotShown = 203,
    PenSizeNotSet = 212,
    SettingNotWritten = 215,
};
} // namespace geoerror
