#include "sim_events.h"

#include "host_call.h"
#include "stringex.h"

namespace hostsim {

HRESULT STDMETHODCALLTYPE CSimMenuEvent::GetCommandId(long* id)
{
    CHostCall call(m_Host, "MenuEvent.GetCommandId");
    if (!id)
        return call.finish(E_POINTER);
    if (call.failed())
        return call.finish(call.injected());
    *id = m_CommandId;
    return call.finish(S_OK, std::to_string(m_CommandId));
}

HRESULT STDMETHODCALLTYPE CSimMouseEvent::GetEventType(long* type)
{
    CHostCall call(m_Host, "MouseEvent.GetEventType");
    if (!type)
        return call.finish(E_POINTER);
    if (call.failed())
        return call.finish(call.injected());
    *type = m_Type;
    return call.finish(S_OK, std::to_string(m_Type));
}

HRESULT STDMETHODCALLTYPE CSimMouseEvent::GetPosition(geohost::GeoPoint* position)
{
    CHostCall call(m_Host, "MouseEvent.GetPosition");
    if (!position)
        return call.finish(E_POINTER);
    if (call.failed())
        return call.finish(call.injected());
    *position = m_Host.view.toMap(m_X, m_Y);
    return call.finish(S_OK, strell::formatString("view %ld,%ld map %.6f,%.6f", m_X, m_Y, position->first,
                                                  position->second));
}

} // namespace hostsim
