#include "com/registration.h"

#include "com/plugin_identity.h"
#include "ansi_path.h"
#include "strell_systeminfo.h"
#include "win32_handles.h"

#include <olectl.h>

#include <string>
#include <vector>

namespace plugin {

namespace {

// The longest path the system gives a module, in characters.
const size_t kLongestPath = 32768;

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

// The file of the module that holds this code, read wide: in a folder named outside the ANSI code
// page the narrow name is a look-alike that names nothing. Empty when it cannot be read whole.
std::wstring dllPath()
{
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(strell::getCodeModuleHandle(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return std::wstring();
        if (length < buffer.size())
            return std::wstring(buffer.data(), length);
        if (buffer.size() >= kLongestPath)
            return std::wstring();
        buffer.resize(buffer.size() * 2);
    }
}

// Written wide, so that the path reaches the registry as the system names the file.
bool writeDefaultValue(const char* keyName, const std::wstring& value)
{
    strell::unique_hkey key;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, keyName, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                        key.put(), nullptr) != ERROR_SUCCESS)
        return false;
    // The stored length counts the terminating zero.
    return RegSetValueExW(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

} // namespace

HRESULT registerServer()
{
    const std::wstring path = dllPath();
    for (const RegistrationEntry& entry : kRegistration) {
        if ((!entry.value && path.empty()) ||
            !writeDefaultValue(entry.key, entry.value ? strell::toWideText(entry.value) : path)) {
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
