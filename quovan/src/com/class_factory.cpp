#include "com/class_factory.h"

#include "com/plugin_module.h"
#include "plugin/quovan_plugin.h"


HRESULT STDMETHODCALLTYPE CQuovanClassFactory::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
        *object = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

// The factory is static: its counts are constant, its references keep the DLL loaded.
ULONG STDMETHODCALLTYPE CQuovanClassFactory::AddRef()
{
    plugin::lockModule();
    return 2;
}

ULONG STDMETHODCALLTYPE CQuovanClassFactory::Release()
{
    plugin::unlockModule();
    return 1;
}

HRESULT STDMETHODCALLTYPE CQuovanClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** object)
{
    plugin::CModuleStateScope moduleState;
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (outer)
        return CLASS_E_NOAGGREGATION;
    CQuovanPlugin* plugin = nullptr;
    try {
        plugin = new CQuovanPlugin();
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    // The object's own reference keeps it alive through the query; an unsupported interface ends it.
    plugin->AddRef();
    const HRESULT result = plugin->QueryInterface(iid, object);
    plugin->Release();
    return result;
}

HRESULT STDMETHODCALLTYPE CQuovanClassFactory::LockServer(BOOL)
{
    return S_FALSE;
}

CQuovanClassFactory& quovanClassFactory()
{
    static CQuovanClassFactory factory;
    return factory;
}
