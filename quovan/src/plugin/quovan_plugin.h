#pragma once
// The plug-in object: the one COM object the host creates from the plug-in's class. It adds the
// "&Mobile" menu to the host, dispatches its commands, feeds mouse events to the area selector and
// answers the host's notifications. No exception leaves it: every slot answers with a COM result.

#include "com_ptr.h"
#include "export/area_selector.h"
#include "geo_host_interfaces.h"
#include "host/geo_plugin_menu.h"
#include "host/host_session.h"

#include <memory>
#include <string>

struct PlugInInfo;

class CQuovanPlugin : public geohost::IGeoPlugIn {
public:
    CQuovanPlugin();
    virtual ~CQuovanPlugin();
    CQuovanPlugin(const CQuovanPlugin&) = delete;
    CQuovanPlugin& operator=(const CQuovanPlugin&) = delete;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IGeoPlugIn
    HRESULT STDMETHODCALLTYPE Initialize(geohost::IGeoApplication* application, long plugInId) override;
    HRESULT STDMETHODCALLTYPE Terminate() override;
    HRESULT STDMETHODCALLTYPE HandleMenuEvent(geohost::IGeoMenuEvent* event, long* result) override;
    HRESULT STDMETHODCALLTYPE HandleMouseEvent(geohost::IGeoMouseEvent* event, long* result) override;
    HRESULT STDMETHODCALLTYPE HandleGraphicEvent(IUnknown* event, long* result) override;
    HRESULT STDMETHODCALLTYPE HandleOverlayEvent(IUnknown* event, long* result) override;
    HRESULT STDMETHODCALLTYPE HandleGroupEvent(IUnknown* event, long* result) override;
    HRESULT STDMETHODCALLTYPE HandleViewEvent(IUnknown* event, long* result) override;
    HRESULT STDMETHODCALLTYPE GetPlugInInfo(geohost::IGeoPlugInInfo** info) override;

protected:
    // The plug-in's own steps; errors of host calls leave them as CGeoPlugInException.
    virtual void BuildMenu();
    virtual void Shutdown();
    virtual long OnMenuEvent(geohost::IGeoMenuEvent* event);
    virtual long OnMouseEvent(geohost::IGeoMouseEvent* event);
    virtual long OnGraphicEvent(IUnknown* event);
    virtual long OnOverlayEvent(IUnknown* event);
    virtual long OnGroupEvent(IUnknown* event);
    virtual long OnViewEvent(IUnknown* event);
    virtual PlugInInfo FillPlugInInfo();

private:
    // Sets the states of the area commands from whether an area is complete.
    void applyMenuItemStates();
    void dispatchCommand(long commandId);
    void callPlugInControl();
    void releaseHostInterfaces();
    void abandonExport();
    void removeFromHost();

    CHostSession m_Session;
    ComPtr<geohost::IGeoPlugInControl> m_Control; // taken on first use
    ComPtr<IUnknown> m_Reserved;                  // released at termination, not otherwise used
    std::string m_ModulePath;
    volatile LONG m_RefCount = 0;
    LONG m_MenuCalls = 0;           // menu commands running (nested while an export waits)
    bool m_ExportAbandoned = false; // closed during an export's wait
    CAreaSelector m_AreaSelector;
    std::unique_ptr<CGeoPlugInMenu> m_PopupMenu;
    std::unique_ptr<CGeoPlugInMenu> m_MenuBar;
};
