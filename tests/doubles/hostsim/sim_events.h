#pragma once
// Event objects that the host hands to the plug-in: menu commands, mouse events, notifications.

#include "host_state.h"
#include "sim_object.h"

namespace hostsim {

class CSimMenuEvent : public CSimObject<CSimMenuEvent, geohost::IGeoMenuEvent> {
public:
    CSimMenuEvent(CHostState& host, long commandId) : m_Host(host), m_CommandId(commandId) {}

    void* identity() { return static_cast<geohost::IGeoMenuEvent*>(this); }
    void* findInterface(REFIID iid)
    {
        return IsEqualIID(iid, geohost::IID_IGeoMenuEvent) ? static_cast<geohost::IGeoMenuEvent*>(this) : nullptr;
    }

    HRESULT STDMETHODCALLTYPE GetCommandId(long* id) override;

private:
    CHostState& m_Host;
    long m_CommandId;
};

class CSimMouseEvent : public CSimObject<CSimMouseEvent, geohost::IGeoMouseEvent> {
public:
    CSimMouseEvent(CHostState& host, long type, long x, long y) : m_Host(host), m_Type(type), m_X(x), m_Y(y) {}

    void* identity() { return static_cast<geohost::IGeoMouseEvent*>(this); }
    void* findInterface(REFIID iid)
    {
        return IsEqualIID(iid, geohost::IID_IGeoMouseEvent) ? static_cast<geohost::IGeoMouseEvent*>(this) : nullptr;
    }

    HRESULT STDMETHODCALLTYPE GetEventType(long* type) override;
    HRESULT STDMETHODCALLTYPE GetPosition(geohost::GeoPoint* position) override;

private:
    CHostState& m_Host;
    long m_Type, m_X, m_Y;
};

// The event object of a notification, which the plug-in does not look into.
class CSimNotification : public CSimObject<CSimNotification, IUnknown> {
public:
    void* identity() { return static_cast<IUnknown*>(this); }
    void* findInterface(REFIID) { return nullptr; }
};

} // namespace hostsim
