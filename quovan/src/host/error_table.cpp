#include "host/error_table.h"

const char* findGeoErrorText(const CGeoErrorEntry* table, int code)
{
    for (const CGeoErrorEntry* entry = table; entry->code != 0; ++entry)
        if (entry->code == code)
            return entry->text;
    return nullptr;
}

const char* findGeoErrorText(int code)
{
    return findGeoErrorText(g_GeoErrorTable, code);
}

size_t geoErrorTableSize()
{
    size_t count = 0;
    while (g_GeoErrorTable[count].code != 0)
        ++count;
    return count;
}
