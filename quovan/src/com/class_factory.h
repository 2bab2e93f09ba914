#pragma once
// The class factory of the plug-in class: one static object, never allocated or freed. Its
// references count in the module lock count.

#include <windows.h>
#include <objbase.h>

class CQuovanClassFactory : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;
};

CQuovanClassFactory& quovanClassFactory();
