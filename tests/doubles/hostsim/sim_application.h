#pragma once
// The host's application object as the plug-in gets it at initialisation, with its second
// application interface (maps, graphics) and its plug-in control.

#include "host_state.h"
#include "sim_object.h"

namespace hostsim {

class CHostCall;

class CSimApplication
    : public CSimObject<CSimApplication, geohost::IGeoApplication, geohost::IGeoApplication2, geohost::IGeoPlugInControl> {
public:
    explicit CSimApplication(CHostState& host) : m_Host(host) {}

    void* identity() { return static_cast<geohost::IGeoApplication*>(this); }
    void* findInterface(REFIID iid);

    // IGeoApplication
    HRESULT STDMETHODCALLTYPE GetMenuInterface(geohost::IGeoMenu** menu) override;
    HRESULT STDMETHODCALLTYPE GetCoordinates(geohost::IGeoCoordinates** coordinates) override;
    HRESULT STDMETHODCALLTYPE GetActiveDocument(geohost::IGeoDocument** document) override;
    HRESULT STDMETHODCALLTYPE ShowMessage(BSTR text, BSTR caption) override;
    HRESULT STDMETHODCALLTYPE WriteSetting(BSTR section, BSTR key, BSTR text) override;
    // IGeoApplication2
    HRESULT STDMETHODCALLTYPE GetFirstMap(geohost::IGeoMap** map) override;
    HRESULT STDMETHODCALLTYPE GetNextMap(geohost::IGeoMap** map) override;
    HRESULT STDMETHODCALLTYPE CreateGraphic(long type, geohost::IGeoGraphic** graphic) override;
    // IGeoPlugInControl
    HRESULT STDMETHODCALLTYPE Call(long plugInId, long value) override;

private:
    HRESULT deliverMap(CHostCall& call, geohost::IGeoMap** map);

    CHostState& m_Host;
};

} // namespace hostsim
