#include "sim_coordinates.h"

#include "host_call.h"
#include "stringex.h"

using namespace geohost;

namespace hostsim {

void* CSimCoordinates::findInterface(REFIID iid)
{
    if (IsEqualIID(iid, IID_IGeoCoordinates))
        return static_cast<IGeoCoordinates*>(this);
    if (IsEqualIID(iid, IID_IGeoCoordinates2) && m_Host.offers.coordinates2)
        return static_cast<IGeoCoordinates2*>(this);
    return nullptr;
}

HRESULT STDMETHODCALLTYPE CSimCoordinates::MapToView(GeoPoint* point, long* x, long* y)
{
    CHostCall call(m_Host, "Coordinates.MapToView",
                   point ? strell::formatString("%.6f, %.6f", point->first, point->second) : "null");
    if (!point || !x || !y)
        return call.finish(E_POINTER);
    if (call.failed())
        return call.finish(call.injected());
    m_Host.view.toView(*point, *x, *y);
    return call.finish(S_OK, strell::formatString("view %ld,%ld", *x, *y));
}

HRESULT STDMETHODCALLTYPE CSimCoordinates::ViewToMap(long x, long y, long height, GeoPoint* point)
{
    CHostCall call(m_Host, "Coordinates.ViewToMap", strell::formatString("%ld, %ld, %ld", x, y, height));
    if (!point)
        return call.finish(E_POINTER);
    if (call.failed())
        return call.finish(call.injected());
    *point = m_Host.view.toMap(x, y);
    point->height = height;
    return call.finish(S_OK, strell::formatString("map %.6f,%.6f", point->first, point->second));
}

} // namespace hostsim
