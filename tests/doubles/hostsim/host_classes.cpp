#include "host_classes.h"

#include "bstr_text.h"
#include "host_call.h"
#include "sim_graphic.h"
#include "sim_object.h"
#include "transcript_text.h"
#include "win32_handles.h"

#include <functional>

using namespace geohost;

namespace hostsim {

namespace {

class CSimPlugInInfo : public CSimObject<CSimPlugInInfo, IGeoPlugInInfo> {
public:
    explicit CSimPlugInInfo(CHostState& host) : m_Host(host), m_Record(std::make_shared<PlugInInfoRecord>())
    {
        m_Record->id = static_cast<int>(host.infos.size()) + 1;
        host.infos.push_back(m_Record);
    }

    void* identity() { return static_cast<IGeoPlugInInfo*>(this); }
    void* findInterface(REFIID iid)
    {
        return IsEqualIID(iid, IID_IGeoPlugInInfo) ? static_cast<IGeoPlugInInfo*>(this) : nullptr;
    }

    HRESULT STDMETHODCALLTYPE SetName(BSTR name) override { return setText("PlugInInfo.SetName", name, m_Record->name); }
    HRESULT STDMETHODCALLTYPE SetLegalText(BSTR text) override
    {
        return setText("PlugInInfo.SetLegalText", text, m_Record->legalText);
    }
    HRESULT STDMETHODCALLTYPE SetDescription(BSTR description) override
    {
        return setText("PlugInInfo.SetDescription", description, m_Record->description);
    }
    HRESULT STDMETHODCALLTYPE SetNumbers(long first, long second) override
    {
        CHostCall call(m_Host, "PlugInInfo.SetNumbers", std::to_string(first) + ", " + std::to_string(second));
        if (call.failed())
            return call.finish(call.injected());
        m_Record->first = first;
        m_Record->second = second;
        return call.finish(S_OK);
    }

private:
    HRESULT setText(const char* operation, BSTR value, std::string& field)
    {
        const std::string text = fromBstr(value);
        CHostCall call(m_Host, operation, quote(text));
        if (call.failed())
            return call.finish(call.injected());
        field = text;
        return call.finish(S_OK);
    }

    CHostState& m_Host;
    std::shared_ptr<PlugInInfoRecord> m_Record;
};

// A class object whose instances come from the given maker; "<name>.Create" is its fault point.
class CSimClassFactory : public CSimObject<CSimClassFactory, IClassFactory> {
public:
    using Maker = std::function<IUnknown*(CHostState&)>;
    CSimClassFactory(CHostState& host, const char* operation, Maker maker)
        : m_Host(host), m_Operation(operation), m_Maker(std::move(maker))
    {
    }

    void* identity() { return static_cast<IClassFactory*>(this); }
    void* findInterface(REFIID iid)
    {
        return IsEqualIID(iid, IID_IClassFactory) ? static_cast<IClassFactory*>(this) : nullptr;
    }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override
    {
        CHostCall call(m_Host, m_Operation);
        if (!object)
            return call.finish(E_POINTER);
        *object = nullptr;
        if (outer)
            return call.finish(CLASS_E_NOAGGREGATION);
        if (call.failed())
            return call.finish(call.injected());
        ComPtr<IUnknown> instance;
        instance.attach(m_Maker(m_Host));
        return call.finish(instance->QueryInterface(iid, object));
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    CHostState& m_Host;
    const char* m_Operation;
    Maker m_Maker;
};

bool writeDefault(const std::string& keyName, const std::string& value)
{
    strell::unique_hkey key;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, keyName.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.put(), nullptr) !=
        ERROR_SUCCESS)
        return false;
    return RegSetValueExA(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

std::string classIdText(REFCLSID classId)
{
    wchar_t buffer[64] = {};
    StringFromGUID2(classId, buffer, 64);
    return toNarrow(buffer, wcslen(buffer));
}

} // namespace

CHostClasses::~CHostClasses()
{
    if (m_InfoCookie)
        CoRevokeClassObject(m_InfoCookie);
    if (m_GraphicCookie)
        CoRevokeClassObject(m_GraphicCookie);
}

bool CHostClasses::registerClasses()
{
    const std::string info = classIdText(CLSID_GeoPlugInInfo);
    const std::string infoProgId = toNarrow(kPlugInInfoProgId, wcslen(kPlugInInfoProgId));
    const std::string graphic = classIdText(CLSID_GeoGraphic);
    const bool written = writeDefault(infoProgId, "GeoPluginInfo") && writeDefault(infoProgId + "\\CLSID", info) &&
                         writeDefault("CLSID\\" + info, "GeoPluginInfo") &&
                         writeDefault("CLSID\\" + info + "\\ProgID", infoProgId) &&
                         writeDefault("CLSID\\" + graphic, "GeoGraphic");
    if (!written) {
        m_Host.log("host classes: registry not written");
        return false;
    }
    offerPlugInInfo(true);
    ComPtr<CSimClassFactory> graphics = makeSim<CSimClassFactory>(m_Host, "GraphicClass.Create", [](CHostState& host) {
        return static_cast<IUnknown*>(static_cast<IGeoGraphic*>(new CSimGraphic(host, kGraphicLine)));
    });
    const HRESULT result = CoRegisterClassObject(CLSID_GeoGraphic, static_cast<IClassFactory*>(graphics.get()),
                                                 CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &m_GraphicCookie);
    if (FAILED(result)) {
        m_Host.log("host classes: graphic class not offered " + resultName(result));
        return false;
    }
    return m_InfoCookie != 0;
}

void CHostClasses::offerPlugInInfo(bool offer)
{
    if (!offer) {
        if (m_InfoCookie)
            CoRevokeClassObject(m_InfoCookie);
        m_InfoCookie = 0;
        return;
    }
    if (m_InfoCookie)
        return;
    ComPtr<CSimClassFactory> factory = makeSim<CSimClassFactory>(m_Host, "PlugInInfoClass.Create", [](CHostState& host) {
        return static_cast<IUnknown*>(new CSimPlugInInfo(host));
    });
    const HRESULT result = CoRegisterClassObject(CLSID_GeoPlugInInfo, static_cast<IClassFactory*>(factory.get()),
                                                 CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &m_InfoCookie);
    if (FAILED(result)) {
        m_InfoCookie = 0;
        m_Host.log("host classes: information class not offered " + resultName(result));
    }
}

} // namespace hostsim
