#pragma once
// One of the host's available maps.

#include "host_state.h"
#include "sim_object.h"

namespace hostsim {

class CSimMap : public CSimObject<CSimMap, geohost::IGeoMap> {
public:
    CSimMap(CHostState& host, size_t index) : m_Host(host), m_Index(index) {}

    void* identity() { return static_cast<geohost::IGeoMap*>(this); }
    void* findInterface(REFIID iid)
    {
        return IsEqualIID(iid, geohost::IID_IGeoMap) ? static_cast<geohost::IGeoMap*>(this) : nullptr;
    }

    HRESULT STDMETHODCALLTYPE GetName(BSTR* name) override;
    HRESULT STDMETHODCALLTYPE GetDataPath(BSTR* path) override;
    HRESULT STDMETHODCALLTYPE GetCorners(geohost::GeoPoint* corner1, geohost::GeoPoint* corner2,
                                         geohost::GeoPoint* corner3, geohost::GeoPoint* corner4) override;
    HRESULT STDMETHODCALLTYPE GetScale(long* scale) override;

private:
    HRESULT deliverText(const char* operation, const std::string& text, BSTR* out);

    CHostState& m_Host;
    size_t m_Index;
};

} // namespace hostsim
