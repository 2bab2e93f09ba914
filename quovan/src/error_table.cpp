#include "error_table.h"

const char* findGeoErrorText(int code)
{
    for (const CGeoErrorEntry* entry = g_GeoErrorTable; entry->code != 0; ++entry)
        if (entry->code == code)
            return entry->text;
    return nullptr;
}

size_t geoErrorTableSize()
{
    size_t count = 0;
    while (g_GeoErrorTable[count].code != 0)
        ++count;
    return count;
}
