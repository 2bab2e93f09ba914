#pragma once
// One of the host's available maps.

#include "com_ptr.h"
#include "geo_host_interfaces.h"

#include <memory>
#include <string>

class CGeoPlugInMap {
public:
    explicit CGeoPlugInMap(geohost::IGeoMap* map);

    // The first and the next available map (error 35); null when there is no (further) map.
    static std::unique_ptr<CGeoPlugInMap> first(geohost::IGeoApplication2* application);
    static std::unique_ptr<CGeoPlugInMap> next(geohost::IGeoApplication2* application);

    std::string name();     // error 157
    std::string dataPath(); // error 158
    // The four corner points in the host's order (error 156).
    void corners(geohost::GeoPoint (&points)[4]);
    long scale();           // error 160

private:
    ComPtr<geohost::IGeoMap> m_Map;
};
