#include "host/geo_plugin_coordinates.h"

#include "host/error_table.h"
#include "host/geo_plugin_exception.h"

using namespace geohost;

CGeoPlugInCoordinates::CGeoPlugInCoordinates(IGeoCoordinates* coordinates) : m_Coordinates(coordinates)
{
    m_Coordinates2.queryFrom(coordinates, IID_IGeoCoordinates2);
}

std::unique_ptr<CGeoPlugInCoordinates> CGeoPlugInCoordinates::fromApplication(IGeoApplication* application)
{
    requireHostInterface(application);
    ComPtr<IGeoCoordinates> coordinates;
    checkHostResult(application->GetCoordinates(coordinates.put()), geoerror::CoordinatesNotAvailable);
    return std::make_unique<CGeoPlugInCoordinates>(coordinates.get());
}

ViewPosition CGeoPlugInCoordinates::mapToView(const GeoPoint& point)
{
    requireHostInterface(m_Coordinates.get());
    GeoPoint argument = point;
    ViewPosition position = {0, 0};
    checkHostResult(m_Coordinates->MapToView(&argument, &position.x, &position.y), geoerror::CoordinatesNotConverted);
    return position;
}

GeoPoint CGeoPlugInCoordinates::viewToMap(const ViewPosition& position)
{
    requireHostInterface(m_Coordinates2.get());
    GeoPoint point = {0.0, 0.0, 0.0};
    checkHostResult(m_Coordinates2->ViewToMap(position.x, position.y, 0, &point), geoerror::CoordinatesNotConverted);
    return point;
}
