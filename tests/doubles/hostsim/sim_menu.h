#pragma once
// The host's menu interface: the menu bar, new popups, their items and states.

#include "host_state.h"
#include "sim_object.h"

namespace hostsim {

class CSimMenu : public CSimObject<CSimMenu, geohost::IGeoMenu, geohost::IGeoMenu2> {
public:
    explicit CSimMenu(CHostState& host) : m_Host(host) {}

    void* identity() { return static_cast<geohost::IGeoMenu*>(this); }
    void* findInterface(REFIID iid);

    HRESULT STDMETHODCALLTYPE GetMenu(long index, long* menu) override;
    HRESULT STDMETHODCALLTYPE CreateMenu(long* menu) override;
    HRESULT STDMETHODCALLTYPE AddItem(long plugInId, long menu, BSTR helpText, long commandId, BSTR caption) override;
    HRESULT STDMETHODCALLTYPE InsertPopup(long menuBar, long popup, long position, BSTR caption) override;
    HRESULT STDMETHODCALLTYPE SetItemState(long plugInId, long commandId, long state) override;
    HRESULT STDMETHODCALLTYPE DeleteMenu(long popup) override;

private:
    CHostState& m_Host;
};

} // namespace hostsim
