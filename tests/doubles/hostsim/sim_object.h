#pragma once
// Reference counting and interface lookup for the simulated host's COM objects. A derived class
// lists its interfaces as bases and answers findInterface(); objects start with one reference.

#include "com_ptr.h"

#include <windows.h>
#include <objbase.h>

#include <utility>

namespace hostsim {

// Host objects alive in the process (all kinds), for leak checks in the transcript.
LONG liveHostObjects();
void countHostObject(LONG change);

template <typename Derived, typename... Interfaces>
class CSimObject : public Interfaces... {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object)
            return E_POINTER;
        *object = IsEqualIID(iid, IID_IUnknown) ? static_cast<Derived*>(this)->identity()
                                                : static_cast<Derived*>(this)->findInterface(iid);
        if (!*object)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&m_References)); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const LONG count = InterlockedDecrement(&m_References);
        if (count == 0)
            delete static_cast<Derived*>(this);
        return static_cast<ULONG>(count);
    }

protected:
    CSimObject() { countHostObject(+1); }
    virtual ~CSimObject() { countHostObject(-1); }

private:
    volatile LONG m_References = 1;
};

// A new object, held by the returned reference only.
template <typename T, typename... Arguments>
ComPtr<T> makeSim(Arguments&&... arguments)
{
    ComPtr<T> object;
    object.attach(new T(std::forward<Arguments>(arguments)...));
    return object;
}

} // namespace hostsim
