#include "host/plugin_info.h"

#include "bstr_text.h"
#include "com_ptr.h"

using namespace geohost;

HRESULT createPlugInInfoObject(IGeoPlugInInfo** info)
{
    *info = nullptr;
    CLSID classId;
    HRESULT result = CLSIDFromProgID(kPlugInInfoProgId, &classId);
    if (FAILED(result))
        return result;
    ComPtr<IClassFactory> factory;
    result = CoGetClassObject(classId, CLSCTX_ALL, nullptr, IID_IClassFactory, factory.putVoid());
    if (FAILED(result))
        return result;
    ComPtr<IUnknown> instance;
    result = factory->CreateInstance(nullptr, IID_IUnknown, instance.putVoid());
    if (FAILED(result))
        return result;
    return instance->QueryInterface(IID_IGeoPlugInInfo, reinterpret_cast<void**>(info));
}

HRESULT passPlugInInfo(IGeoPlugInInfo* info, const PlugInInfo& values)
{
    const CBstrText name(values.name);
    const CBstrText legalText(values.legalText);
    const CBstrText description(values.description);
    HRESULT result = info->SetName(name.get());
    if (SUCCEEDED(result))
        result = info->SetLegalText(legalText.get());
    if (SUCCEEDED(result))
        result = info->SetDescription(description.get());
    if (SUCCEEDED(result))
        result = info->SetNumbers(values.first, values.second);
    return result;
}
