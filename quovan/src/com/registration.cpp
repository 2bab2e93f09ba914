#include "com/registration.h"

#include "com/plugin_identity.h"
#include "strell_systeminfo.h"
#include "win32_handles.h"

#include <olectl.h>

#include <string>

namespace plugin {

namespace {

struct RegistrationEntry {
    const char* key;
    const char* value; // null: the path of this DLL
};

const RegistrationEntry kRegistration[] = {
    {"CLSID\\{6f3e2c81-5b7a-4d19-9c4e-2a8d71f0b6e3}", kPlugInCategory},
    {"CLSID\\{6f3e2c81-5b7a-4d19-9c4e-2a8d71f0b6e3}\\InprocServer32", nullptr},
    {"CLSID\\{6f3e2c81-5b7a-4d19-9c4e-2a8d71f0b6e3}\\ProgID", kProgId},
    {"GeoPlugin.quovan", kPlugInCategory},
    {"GeoPlugin.quovan\\CLSID", kClassIdText},
};

// The file of the module that holds this code.
std::string dllPath()
{
    char buffer[MAX_PATH] = {};
    GetModuleFileNameA(strell::getCodeModuleHandle(), buffer, sizeof buffer);
    buffer[MAX_PATH - 1] = '\0';
    return buffer;
}

bool writeDefaultValue(const char* keyName, const std::string& value)
{
    strell::unique_hkey key;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, keyName, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                        key.put(), nullptr) != ERROR_SUCCESS)
        return false;
    // The stored length counts the terminating zero.
    return RegSetValueExA(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

} // namespace

HRESULT registerServer()
{
    const std::string path = dllPath();
    for (const RegistrationEntry& entry : kRegistration) {
        if (!writeDefaultValue(entry.key, entry.value ? entry.value : path)) {
            unregisterServer();
            return SELFREG_E_CLASS;
        }
    }
    return S_OK;
}

HRESULT unregisterServer()
{
    HRESULT result = S_OK;
    for (size_t i = sizeof kRegistration / sizeof kRegistration[0]; i-- > 0;)
        if (RegDeleteKeyA(HKEY_CLASSES_ROOT, kRegistration[i].key) != ERROR_SUCCESS)
            result = S_FALSE;
    return result;
}

} // namespace plugin
