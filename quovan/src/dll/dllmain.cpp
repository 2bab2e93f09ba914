// Entry points of the DLL: start-up and shut-down, and the four exports of a COM in-process server.

#include "com/class_factory.h"
#include "com/plugin_identity.h"
#include "com/plugin_module.h"
#include "com/registration.h"

#include <windows.h>
#include <olectl.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        plugin::attachModule(instance);
        DisableThreadLibraryCalls(instance);
        break;
    case DLL_PROCESS_DETACH:
        plugin::detachModule();
        break;
    default:
        break;
    }
    return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow()
{
    return plugin::moduleLockCount() == 0 ? S_OK : S_FALSE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID classId, REFIID iid, void** object)
{
    plugin::CModuleStateScope moduleState;
    if (!object)
        return E_POINTER;
    if (!IsEqualCLSID(classId, plugin::CLSID_QuovanPlugin)) {
        *object = nullptr;
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    return quovanClassFactory().QueryInterface(iid, object);
}

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer()
{
    plugin::CModuleStateScope moduleState;
    try {
        return plugin::registerServer();
    } catch (...) {
        plugin::unregisterServer();
        return SELFREG_E_CLASS;
    }
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer()
{
    plugin::CModuleStateScope moduleState;
    try {
        return plugin::unregisterServer();
    } catch (...) {
        return S_FALSE;
    }
}
