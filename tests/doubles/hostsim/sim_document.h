#pragma once
// The host's active document.

#include "host_state.h"
#include "sim_object.h"

namespace hostsim {

class CSimDocument : public CSimObject<CSimDocument, geohost::IGeoDocument, geohost::IGeoDocument2> {
public:
    explicit CSimDocument(CHostState& host) : m_Host(host) {}

    void* identity() { return static_cast<geohost::IGeoDocument*>(this); }
    void* findInterface(REFIID iid)
    {
        if (IsEqualIID(iid, geohost::IID_IGeoDocument))
            return static_cast<geohost::IGeoDocument*>(this);
        if (IsEqualIID(iid, geohost::IID_IGeoDocument2) && m_Host.offers.document2)
            return static_cast<geohost::IGeoDocument2*>(this);
        return nullptr;
    }

private:
    CHostState& m_Host;
};

} // namespace hostsim
