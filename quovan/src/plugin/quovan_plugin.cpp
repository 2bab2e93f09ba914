#include "plugin/quovan_plugin.h"

#include "plugin/about_text.h"
#include "com/debug_out.h"
#include "com/plugin_module.h"
#include "desktop/web_addresses.h"
#include "export/export_command.h"
#include "host/error_table.h"
#include "host/geo_plugin_application.h"
#include "host/geo_plugin_exception.h"
#include "plugin/menu_commands.h"
#include "host/plugin_info.h"
#include "stringex.h"
#include "wait/modal_wait.h"

#include <ctime>
#include <exception>
#include <new>

using namespace geohost;

namespace {

// Runs one slot's work; an error that would leave the plug-in becomes the slot's COM result.
template <typename Work>
HRESULT atComBoundary(const char* slot, Work work) noexcept
{
    try {
        work();
        return S_OK;
    } catch (const CGeoPlugInException& error) {
        debugOut("%s: %s", slot, error.getMessage().c_str());
        return error.defaultResult();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (const std::string& error) {
        debugOut("%s: %s", slot, error.c_str());
        return E_FAIL;
    } catch (const std::exception& error) {
        // A library's error (a regular expression that cannot be searched, a range): its text is
        // the only account of what went wrong.
        debugOut("%s: %s", slot, error.what());
        return E_FAIL;
    } catch (...) {
        debugOut("%s: unexpected error", slot);
        return E_UNEXPECTED;
    }
}

// Is this a DLL? The name ends in ".dll", searched in its last five characters.
bool isDllPath(const std::string& path)
{
    const std::string tail = strell::toLower(path.size() > 5 ? path.substr(path.size() - 5) : path);
    return tail.find(".dll") != std::string::npos;
}

std::string moduleFileName()
{
    char buffer[MAX_PATH] = {};
    GetModuleFileNameA(plugin::moduleHandle(), buffer, sizeof buffer);
    buffer[MAX_PATH - 1] = '\0';
    return buffer;
}

// Local time as "dd.mm.yyyy hh:mm:ss"; empty when it cannot be converted.
std::string shutdownTimeText()
{
    const std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    char buffer[128] = {};
    if (!local || std::strftime(buffer, sizeof buffer, "%d.%m.%Y %H:%M:%S", local) == 0)
        return std::string();
    return buffer;
}

} // namespace

CQuovanPlugin::CQuovanPlugin() : m_ModulePath(moduleFileName()), m_AreaSelector(m_Session)
{
    if (isDllPath(m_ModulePath))
        plugin::enableModuleStateSwitching();
}

CQuovanPlugin::~CQuovanPlugin() = default;

// IUnknown

HRESULT STDMETHODCALLTYPE CQuovanPlugin::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IGeoPlugIn)) {
        *object = static_cast<IGeoPlugIn*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE CQuovanPlugin::AddRef()
{
    // One increment decides: of two threads only the one that takes the count to 1 locks the module.
    const LONG count = InterlockedIncrement(&m_RefCount);
    if (count == 1)
        plugin::lockModule();
    return static_cast<ULONG>(count);
}

ULONG STDMETHODCALLTYPE CQuovanPlugin::Release()
{
    plugin::CModuleStateScope moduleState;
    const LONG count = InterlockedDecrement(&m_RefCount);
    // Only the plug-in's own holds of running menu commands are left: the host has let go during an
    // export's wait, which ends now; the object goes when the command has returned.
    if (count > 0 && count == m_MenuCalls && isWaiting())
        abandonExport();
    if (count == 0) {
        // Released without Terminate: the marking and the menu must not stay behind in the host. The
        // count is held above 0 meanwhile, so that a host calling back cannot end the object twice.
        if (m_Session.application()) {
            InterlockedIncrement(&m_RefCount);
            atComBoundary("Release", [&] { removeFromHost(); });
        }
        releaseHostInterfaces();
        delete this;
        plugin::unlockModule();
    }
    return static_cast<ULONG>(count);
}

// IGeoPlugIn

HRESULT STDMETHODCALLTYPE CQuovanPlugin::Initialize(IGeoApplication* application, long plugInId)
{
    plugin::CModuleStateScope moduleState;
    return atComBoundary("Initialize", [&] {
        if (!application)
            throw CGeoPlugInException(geoerror::NotInitialised, S_FALSE, std::string(), E_POINTER);
        // Initialised again without Terminate: the menu stands already.
        if (m_PopupMenu) {
            debugOut("Initialize: already initialised");
            return;
        }
        m_Session.begin(application, plugInId);
        BuildMenu();
    });
}

HRESULT STDMETHODCALLTYPE CQuovanPlugin::Terminate()
{
    plugin::CModuleStateScope moduleState;
    if (isWaiting())
        abandonExport();
    const HRESULT result = atComBoundary("Terminate", [&] { Shutdown(); });
    releaseHostInterfaces();
    return result;
}

HRESULT STDMETHODCALLTYPE CQuovanPlugin::HandleMenuEvent(IGeoMenuEvent* event, long* result)
{
    plugin::CModuleStateScope moduleState;
    if (!result)
        return E_POINTER;
    // Held while the command runs, so that a host letting go of the plug-in during an export's wait
    // does not delete it under the command.
    AddRef();
    ++m_MenuCalls;
    const HRESULT hr = atComBoundary("HandleMenuEvent", [&] { *result = OnMenuEvent(event); });
    if (--m_MenuCalls == 0)
        m_ExportAbandoned = false;
    Release();
    return hr;
}

HRESULT STDMETHODCALLTYPE CQuovanPlugin::HandleMouseEvent(IGeoMouseEvent* event, long* result)
{
    plugin::CModuleStateScope moduleState;
    if (!result)
        return E_POINTER;
    return atComBoundary("HandleMouseEvent", [&] { *result = OnMouseEvent(event); });
}

HRESULT STDMETHODCALLTYPE CQuovanPlugin::HandleGraphicEvent(IUnknown* event, long* result)
{
    plugin::CModuleStateScope moduleState;
    if (!result)
        return E_POINTER;
    return atComBoundary("HandleGraphicEvent", [&] { *result = OnGraphicEvent(event); });
}

HRESULT STDMETHODCALLTYPE CQuovanPlugin::HandleOverlayEvent(IUnknown* event, long* result)
{
    plugin::CModuleStateScope moduleState;
    if (!result)
        return E_POINTER;
    return atComBoundary("HandleOverlayEvent", [&] { *result = OnOverlayEvent(event); });
}

HRESULT STDMETHODCALLTYPE CQuovanPlugin::HandleGroupEvent(IUnknown* event, long* result)
{
    plugin::CModuleStateScope moduleState;
    if (!result)
        return E_POINTER;
    return atComBoundary("HandleGroupEvent", [&] { *result = OnGroupEvent(event); });
}

HRESULT STDMETHODCALLTYPE CQuovanPlugin::HandleViewEvent(IUnknown* event, long* result)
{
    plugin::CModuleStateScope moduleState;
    if (!result)
        return E_POINTER;
    return atComBoundary("HandleViewEvent", [&] { *result = OnViewEvent(event); });
}

HRESULT STDMETHODCALLTYPE CQuovanPlugin::GetPlugInInfo(IGeoPlugInInfo** info)
{
    plugin::CModuleStateScope moduleState;
    if (info)
        *info = nullptr;
    HRESULT result = S_OK;
    const HRESULT boundary = atComBoundary("GetPlugInInfo", [&] {
        ComPtr<IGeoPlugInInfo> object;
        result = createPlugInInfoObject(object.put());
        if (FAILED(result))
            return;
        if (!info) {
            result = S_FALSE;
            return;
        }
        result = passPlugInInfo(object.get(), FillPlugInInfo());
        if (FAILED(result))
            return;
        *info = object.detach();
        result = S_OK;
    });
    return boundary != S_OK ? boundary : result;
}

// The plug-in's own steps

void CQuovanPlugin::BuildMenu()
{
    m_MenuBar = std::make_unique<CGeoPlugInMenu>(m_Session.application(), m_Session.plugInId());
    m_MenuBar->loadByIndex(0);

    m_PopupMenu = std::make_unique<CGeoPlugInMenu>(m_Session.application(), m_Session.plugInId());
    m_PopupMenu->create();
    for (const menu::CommandEntry& command : menu::kCommands) {
        m_PopupMenu->addItem(plugin::loadString(command.captionId), std::string(), command.id);
        if (command.separatorAfter)
            m_PopupMenu->addSeparator();
    }
    m_MenuBar->insertPopup(*m_PopupMenu, menu::kPopupPosition, plugin::loadString(IDS_MENU_POPUP));

    applyMenuItemStates();
    callPlugInControl();
}

void CQuovanPlugin::Shutdown()
{
    removeFromHost();
    writeHostSetting(m_Session.application(), "MyPlugin", "ShutdownTime", shutdownTimeText());
}

long CQuovanPlugin::OnMenuEvent(IGeoMenuEvent* event)
{
    debugOut("OnMenuEvent");
    long commandId = 0;
    if (event)
        event->GetCommandId(&commandId);
    // No second action while an export waits: the marking and the export stay as they are.
    if (isWaiting()) {
        debugOut("command %ld refused: an export is waiting for the desktop program", commandId);
        return kEventHandled;
    }
    try {
        dispatchCommand(commandId);
    } catch (const CGeoPlugInException& error) {
        error.report();
    }
    // Closed during the export's wait: the host is no longer to be called.
    if (m_ExportAbandoned)
        return kEventHandled;
    try {
        applyMenuItemStates();
    } catch (const CGeoPlugInException& error) {
        error.report();
    }
    return kEventHandled;
}

long CQuovanPlugin::OnMouseEvent(IGeoMouseEvent* event)
{
    if (isWaiting() || !m_AreaSelector.onMouseEvent(event))
        return kEventNotHandled;
    try {
        applyMenuItemStates();
    } catch (const CGeoPlugInException& error) {
        error.report();
    }
    return kEventHandled;
}

long CQuovanPlugin::OnGraphicEvent(IUnknown*)
{
    return kEventNotHandled;
}

long CQuovanPlugin::OnOverlayEvent(IUnknown*)
{
    return kEventNotHandled;
}

long CQuovanPlugin::OnGroupEvent(IUnknown*)
{
    return kEventNotHandled;
}

long CQuovanPlugin::OnViewEvent(IUnknown*)
{
    return kEventNotHandled;
}

PlugInInfo CQuovanPlugin::FillPlugInInfo()
{
    return PlugInInfo{"undefined Plugin", "Geogrid(R) PlugIn interface - Copyright (C) EADS Deutschland GmbH",
                      "This PlugIn tests the Geogrid(R) for Windows PlugIn interface", 1, 0};
}

// Helpers

// Ends the export's wait at once; nothing more reaches the host from it.
void CQuovanPlugin::abandonExport()
{
    debugOut("export abandoned: the plug-in is being closed");
    m_ExportAbandoned = true;
    abandonWaits();
}

// Detaches the marking and deletes the popup menu.
void CQuovanPlugin::removeFromHost()
{
    try {
        m_AreaSelector.start(false);
        if (m_PopupMenu) {
            m_PopupMenu->deleteMenu();
            m_PopupMenu.reset();
        }
        m_MenuBar.reset();
    } catch (const CGeoPlugInException& error) {
        debugOut("%s", error.getMessage().c_str());
    }
}

void CQuovanPlugin::dispatchCommand(long commandId)
{
    switch (commandId) {
    case menu::InstallSoftware:
        web::openUrl(web::installPageUrl());
        break;
    case menu::MarkArea:
        m_AreaSelector.start(true);
        break;
    case menu::RemoveMark:
        m_AreaSelector.start(false);
        break;
    case menu::Export:
        runExportCommand(m_Session, m_AreaSelector);
        break;
    case menu::About:
        showHostMessage(m_Session.application(), aboutText(), plugin::loadString(IDS_ABOUT_CAPTION));
        break;
    default:
        break;
    }
}

void CQuovanPlugin::applyMenuItemStates()
{
    requireHostInterface(m_PopupMenu.get());
    GeoPoint topLeft, bottomRight;
    const bool complete = m_AreaSelector.getArea(topLeft, bottomRight);
    m_PopupMenu->setItemState(menu::MarkArea, complete ? kItemGreyed : kItemSelectable);
    m_PopupMenu->setItemState(menu::RemoveMark, complete ? kItemSelectable : kItemGreyed);
    m_PopupMenu->setItemState(menu::Export, complete ? kItemSelectable : kItemGreyed);
}

// Tells the host, through its plug-in control, that the plug-in has built its menu.
void CQuovanPlugin::callPlugInControl()
{
    if (!m_Control)
        m_Control.queryFrom(m_Session.application(), IID_IGeoPlugInControl);
    requireHostInterface(m_Control.get());
    m_Control->Call(m_Session.plugInId(), -1);
}

void CQuovanPlugin::releaseHostInterfaces()
{
    m_Reserved.reset();
    m_Control.reset();
    m_Session.end();
}
