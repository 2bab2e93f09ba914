#include "sim_map.h"

#include "bstr_text.h"
#include "host_call.h"
#include "transcript_text.h"

using namespace geohost;

namespace hostsim {

HRESULT CSimMap::deliverText(const char* operation, const std::string& text, BSTR* out)
{
    CHostCall call(m_Host, operation, "map " + std::to_string(m_Index + 1));
    if (!out)
        return call.finish(E_POINTER);
    *out = nullptr;
    if (call.failed())
        return call.finish(call.injected());
    const std::wstring wide = toWide(text);
    *out = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    return call.finish(S_OK, quote(text));
}

HRESULT STDMETHODCALLTYPE CSimMap::GetName(BSTR* name)
{
    return deliverText("Map.GetName", m_Host.maps.at(m_Index).name, name);
}

HRESULT STDMETHODCALLTYPE CSimMap::GetDataPath(BSTR* path)
{
    return deliverText("Map.GetDataPath", m_Host.maps.at(m_Index).dataPath, path);
}

HRESULT STDMETHODCALLTYPE CSimMap::GetCorners(GeoPoint* corner1, GeoPoint* corner2, GeoPoint* corner3,
                                              GeoPoint* corner4)
{
    CHostCall call(m_Host, "Map.GetCorners", "map " + std::to_string(m_Index + 1));
    if (!corner1 || !corner2 || !corner3 || !corner4)
        return call.finish(E_POINTER);
    if (call.failed())
        return call.finish(call.injected());
    const MapRecord& map = m_Host.maps.at(m_Index);
    *corner1 = map.corners[0];
    *corner2 = map.corners[1];
    *corner3 = map.corners[2];
    *corner4 = map.corners[3];
    return call.finish(S_OK);
}

HRESULT STDMETHODCALLTYPE CSimMap::GetScale(long* scale)
{
    CHostCall call(m_Host, "Map.GetScale", "map " + std::to_string(m_Index + 1));
    if (!scale)
        return call.finish(E_POINTER);
    if (call.failed())
        return call.finish(call.injected());
    *scale = m_Host.maps.at(m_Index).scale;
    return call.finish(S_OK, std::to_string(*scale));
}

} // namespace hostsim
