#include "host/geo_plugin_map.h"

#include "bstr_text.h"
#include "host/error_table.h"
#include "host/geo_plugin_exception.h"

using namespace geohost;

namespace {

using MapCall = HRESULT (STDMETHODCALLTYPE IGeoApplication2::*)(IGeoMap**);

std::unique_ptr<CGeoPlugInMap> fetchMap(IGeoApplication2* application, MapCall call)
{
    requireHostInterface(application);
    ComPtr<IGeoMap> map;
    const HRESULT result = (application->*call)(map.put());
    // S_FALSE or no map: the list has ended.
    if (result == S_FALSE || (SUCCEEDED(result) && !map))
        return nullptr;
    checkHostResult(result, geoerror::MapsNotAvailable);
    return std::make_unique<CGeoPlugInMap>(map.get());
}

} // namespace

CGeoPlugInMap::CGeoPlugInMap(IGeoMap* map) : m_Map(map)
{
}

std::unique_ptr<CGeoPlugInMap> CGeoPlugInMap::first(IGeoApplication2* application)
{
    return fetchMap(application, &IGeoApplication2::GetFirstMap);
}

std::unique_ptr<CGeoPlugInMap> CGeoPlugInMap::next(IGeoApplication2* application)
{
    return fetchMap(application, &IGeoApplication2::GetNextMap);
}

std::string CGeoPlugInMap::name()
{
    requireHostInterface(m_Map.get());
    CBstrResult text;
    checkHostResult(m_Map->GetName(text.put()), geoerror::MapNameNotAvailable);
    return text.text();
}

std::string CGeoPlugInMap::dataPath()
{
    requireHostInterface(m_Map.get());
    CBstrResult text;
    checkHostResult(m_Map->GetDataPath(text.put()), geoerror::MapPathNotAvailable);
    return text.text();
}

void CGeoPlugInMap::corners(GeoPoint (&points)[4])
{
    requireHostInterface(m_Map.get());
    for (GeoPoint& point : points)
        point = GeoPoint{0.0, 0.0, 0.0};
    checkHostResult(m_Map->GetCorners(&points[0], &points[1], &points[2], &points[3]),
                    geoerror::MapCornersNotAvailable);
}

long CGeoPlugInMap::scale()
{
    requireHostInterface(m_Map.get());
    long value = 0;
    checkHostResult(m_Map->GetScale(&value), geoerror::MapScaleNotAvailable);
    return value;
}
