#pragma once
// The host objects of one plug-in session: the application interfaces the host hands over at
// initialisation and the plug-in's id. The plug-in object owns the session; the area selector and the
// export command read it, so that neither reaches back into the plug-in object.

#include "com_ptr.h"
#include "geo_host_interfaces.h"

class CHostSession {
public:
    // Takes the host application and its second interface, if it has one.
    void begin(geohost::IGeoApplication* application, long plugInId)
    {
        m_Application = ComPtr<geohost::IGeoApplication>(application);
        m_Application2.queryFrom(application, geohost::IID_IGeoApplication2);
        m_PlugInId = plugInId;
    }
    // Releases the host's interfaces, the second one first.
    void end()
    {
        m_Application2.reset();
        m_Application.reset();
    }

    geohost::IGeoApplication* application() const { return m_Application.get(); }
    geohost::IGeoApplication2* application2() const { return m_Application2.get(); }
    long plugInId() const { return m_PlugInId; }

private:
    ComPtr<geohost::IGeoApplication> m_Application;
    ComPtr<geohost::IGeoApplication2> m_Application2;
    long m_PlugInId = 0;
};
