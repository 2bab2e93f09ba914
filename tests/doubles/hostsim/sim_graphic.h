#pragma once
// A host graphic: pen, colour, flags, points and the document it is attached to, kept in the
// host's list of graphics so that the transcript can show them.

#include "host_state.h"
#include "sim_object.h"

#include <memory>

namespace hostsim {

class CSimGraphic
    : public CSimObject<CSimGraphic, geohost::IGeoGraphic, geohost::IGeoGraphicPen, geohost::IGeoGraphicFlags,
                        geohost::IGeoGraphicExtension, geohost::IGeoGraphicExtension2> {
public:
    CSimGraphic(CHostState& host, long type);
    ~CSimGraphic() override;

    int id() const { return m_Record->id; }
    void* identity() { return static_cast<geohost::IGeoGraphic*>(this); }
    void* findInterface(REFIID iid);

    HRESULT STDMETHODCALLTYPE SetCoordinates(long count, geohost::GeoPoint* points) override;
    HRESULT STDMETHODCALLTYPE AttachToDocument(geohost::IGeoDocument* document) override;
    HRESULT STDMETHODCALLTYPE Detach() override;
    HRESULT STDMETHODCALLTYPE SetPenSize(long size) override;
    HRESULT STDMETHODCALLTYPE SetColor(long red, long green, long blue) override;
    HRESULT STDMETHODCALLTYPE SetFlagA(long value) override;
    HRESULT STDMETHODCALLTYPE SetFlagB(long value) override;

private:
    CHostState& m_Host;
    std::shared_ptr<GraphicRecord> m_Record;
};

} // namespace hostsim
