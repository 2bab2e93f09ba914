#pragma once
// The host's coordinate service: map coordinates to positions in the map view and back.

#include "com_ptr.h"
#include "geo_host_interfaces.h"

#include <memory>

struct ViewPosition {
    long x;
    long y;
};

class CGeoPlugInCoordinates {
public:
    explicit CGeoPlugInCoordinates(geohost::IGeoCoordinates* coordinates);

    // The application's coordinate service (error 47).
    static std::unique_ptr<CGeoPlugInCoordinates> fromApplication(geohost::IGeoApplication* application);

    // Both conversions raise error 11.
    ViewPosition mapToView(const geohost::GeoPoint& point);
    geohost::GeoPoint viewToMap(const ViewPosition& position);

private:
    ComPtr<geohost::IGeoCoordinates> m_Coordinates;
    ComPtr<geohost::IGeoCoordinates2> m_Coordinates2;
};
