#pragma once
// The plug-in as the host holds it: registered from the installation's bin\PlugIn folder with
// regsvr32, created through COM by its programmatic identifier, and the class factory that the host
// may hold besides.

#include "com_ptr.h"
#include "geo_host_interfaces.h"

#include <string>

namespace hostsim {

class CTranscript;

class CPlugInSession {
public:
    explicit CPlugInSession(CTranscript& transcript) : m_Transcript(transcript) {}

    // Runs "regsvr32 /s" on every DLL in <installation>\bin\PlugIn; false when one fails or none is there.
    bool registerPlugIns(const std::string& installation);
    // Creates the plug-in object by its programmatic identifier (replacing a held one).
    bool create(const std::string& progId);
    void release();

    void holdFactory();
    void releaseFactory();
    // Asks the plug-in DLL whether it may be unloaded now (its DllCanUnloadNow).
    void probeUnload();

    geohost::IGeoPlugIn* plugIn() const { return m_PlugIn.get(); }
    HMODULE module() const { return m_Module; }

private:
    CTranscript& m_Transcript;
    CLSID m_ClassId = {};
    ComPtr<geohost::IGeoPlugIn> m_PlugIn;
    ComPtr<IClassFactory> m_Factory;
    HMODULE m_Module = nullptr;
};

} // namespace hostsim
