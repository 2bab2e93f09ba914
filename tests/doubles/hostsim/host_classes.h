#pragma once
// The host's own COM classes that the plug-in creates: the plug-in information class
// "GeoApp.GeoPluginInfo" and the graphic class. Registered in the registry (identifier and
// programmatic identifier) and served by this process while it runs.

#include "host_state.h"

namespace hostsim {

// {FC3B1BD1-17A9-444C-A319-EA113503D273}
const CLSID CLSID_GeoPlugInInfo = {0xFC3B1BD1, 0x17A9, 0x444C, {0xA3, 0x19, 0xEA, 0x11, 0x35, 0x03, 0xD2, 0x73}};

class CHostClasses {
public:
    explicit CHostClasses(CHostState& host) : m_Host(host) {}
    ~CHostClasses();
    CHostClasses(const CHostClasses&) = delete;
    CHostClasses& operator=(const CHostClasses&) = delete;

    // Writes the registry entries and offers the class objects; false (with a transcript line) on failure.
    bool registerClasses();
    // Withdraws or offers again the information class object.
    void offerPlugInInfo(bool offer);

private:
    CHostState& m_Host;
    DWORD m_InfoCookie = 0;
    DWORD m_GraphicCookie = 0;
};

} // namespace hostsim
