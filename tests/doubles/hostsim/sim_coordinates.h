#pragma once
// The host's coordinate service over the view's linear transform.

#include "host_state.h"
#include "sim_object.h"

namespace hostsim {

class CSimCoordinates
    : public CSimObject<CSimCoordinates, geohost::IGeoCoordinates, geohost::IGeoCoordinates2> {
public:
    explicit CSimCoordinates(CHostState& host) : m_Host(host) {}

    void* identity() { return static_cast<geohost::IGeoCoordinates*>(this); }
    void* findInterface(REFIID iid);

    HRESULT STDMETHODCALLTYPE MapToView(geohost::GeoPoint* point, long* x, long* y) override;
    HRESULT STDMETHODCALLTYPE ViewToMap(long x, long y, long height, geohost::GeoPoint* point) override;

private:
    CHostState& m_Host;
};

} // namespace hostsim
