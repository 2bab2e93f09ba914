#include "sim_application.h"

#include "bstr_text.h"
#include "host_call.h"
#include "sim_coordinates.h"
#include "sim_document.h"
#include "sim_graphic.h"
#include "sim_map.h"
#include "sim_menu.h"
#include "transcript_text.h"

using namespace geohost;

namespace hostsim {

void* CSimApplication::findInterface(REFIID iid)
{
    if (IsEqualIID(iid, IID_IGeoApplication))
        return static_cast<IGeoApplication*>(this);
    if (IsEqualIID(iid, IID_IGeoApplication2) && m_Host.offers.application2)
        return static_cast<IGeoApplication2*>(this);
    if (IsEqualIID(iid, IID_IGeoPlugInControl) && m_Host.offers.control)
        return static_cast<IGeoPlugInControl*>(this);
    return nullptr;
}

HRESULT STDMETHODCALLTYPE CSimApplication::GetMenuInterface(IGeoMenu** menu)
{
    CHostCall call(m_Host, "Application.GetMenuInterface");
    if (!menu)
        return call.finish(E_POINTER);
    *menu = nullptr;
    if (call.failed() || call.nullOut())
        return call.finish(call.injected());
    *menu = makeSim<CSimMenu>(m_Host).detach();
    return call.finish(S_OK);
}

HRESULT STDMETHODCALLTYPE CSimApplication::GetCoordinates(IGeoCoordinates** coordinates)
{
    CHostCall call(m_Host, "Application.GetCoordinates");
    if (!coordinates)
        return call.finish(E_POINTER);
    *coordinates = nullptr;
    if (call.failed() || call.nullOut())
        return call.finish(call.injected());
    *coordinates = makeSim<CSimCoordinates>(m_Host).detach();
    return call.finish(S_OK);
}

HRESULT STDMETHODCALLTYPE CSimApplication::GetActiveDocument(IGeoDocument** document)
{
    CHostCall call(m_Host, "Application.GetActiveDocument");
    if (!document)
        return call.finish(E_POINTER);
    *document = nullptr;
    if (call.failed() || call.nullOut())
        return call.finish(call.injected());
    if (!m_Host.documentOpen)
        return call.finish(S_FALSE, "no document");
    *document = makeSim<CSimDocument>(m_Host).detach();
    return call.finish(S_OK, "document " + std::to_string(CHostState::kDocument));
}

HRESULT STDMETHODCALLTYPE CSimApplication::ShowMessage(BSTR message, BSTR caption)
{
    CHostCall call(m_Host, "Application.ShowMessage", quote(fromBstr(message)) + ", " + quote(fromBstr(caption)));
    if (call.failed())
        return call.finish(call.injected());
    call.finish(S_OK);
    // The host's own box is only recorded; a real host would show it.
    m_Host.log("box host [" + fromBstr(caption) + "] " + quote(fromBstr(message)));
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CSimApplication::WriteSetting(BSTR section, BSTR key, BSTR value)
{
    const std::string sectionText = fromBstr(section), keyText = fromBstr(key), valueText = fromBstr(value);
    CHostCall call(m_Host, "Application.WriteSetting",
                   quote(sectionText) + ", " + quote(keyText) + ", " + quote(valueText));
    if (call.failed())
        return call.finish(call.injected());
    const auto settingKey = std::make_pair(sectionText, keyText);
    if (!m_Host.settings.count(settingKey))
        m_Host.settingKeys.push_back(settingKey);
    m_Host.settings[settingKey] = valueText;
    return call.finish(S_OK);
}

HRESULT CSimApplication::deliverMap(CHostCall& call, IGeoMap** map)
{
    if (!map)
        return call.finish(E_POINTER);
    *map = nullptr;
    if (call.failed() || call.nullOut())
        return call.finish(call.injected());
    if (m_Host.nextMap >= m_Host.maps.size())
        return call.finish(S_FALSE, "no more maps");
    const size_t index = m_Host.nextMap++;
    *map = makeSim<CSimMap>(m_Host, index).detach();
    return call.finish(S_OK, "map " + std::to_string(index + 1));
}

HRESULT STDMETHODCALLTYPE CSimApplication::GetFirstMap(IGeoMap** map)
{
    CHostCall call(m_Host, "Application2.GetFirstMap");
    m_Host.nextMap = 0;
    return deliverMap(call, map);
}

HRESULT STDMETHODCALLTYPE CSimApplication::GetNextMap(IGeoMap** map)
{
    CHostCall call(m_Host, "Application2.GetNextMap");
    return deliverMap(call, map);
}

HRESULT STDMETHODCALLTYPE CSimApplication::CreateGraphic(long type, IGeoGraphic** graphic)
{
    CHostCall call(m_Host, "Application2.CreateGraphic", std::to_string(type));
    if (!graphic)
        return call.finish(E_POINTER);
    *graphic = nullptr;
    if (call.failed() || call.nullOut())
        return call.finish(call.injected());
    ComPtr<CSimGraphic> created = makeSim<CSimGraphic>(m_Host, type);
    const int id = created->id();
    *graphic = static_cast<IGeoGraphic*>(created.detach());
    return call.finish(S_OK, "graphic " + std::to_string(id));
}

HRESULT STDMETHODCALLTYPE CSimApplication::Call(long plugInId, long value)
{
    CHostCall call(m_Host, "Control.Call", std::to_string(plugInId) + ", " + std::to_string(value));
    return call.finish(call.failed() ? call.injected() : S_OK);
}

} // namespace hostsim
