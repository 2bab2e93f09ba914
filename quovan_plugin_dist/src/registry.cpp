#include "registry.h"

#include "strell_exception.h"
#include "stringex.h"

#include <cwchar>

#define STRELL_SOURCE "./src/registry"

namespace installer {

namespace {
const DWORD kNameBuffer = 256;
const DWORD kValueBuffer = 1024;
const REGSAM kAccess = KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS;
} // namespace

strell::unique_hkey regOpen(const std::string& keyText)
{
    // No backslash after a hive name: the whole text names the hive and the path is empty.
    std::string root;
    std::string path;
    strell::splitAt(keyText, "\\", root, path);

    root = strell::toUpper(root);
    HKEY hive = nullptr;
    if (root == "HKLM" || root == "HKEY_LOCAL_MACHINE")
        hive = HKEY_LOCAL_MACHINE;
    else if (root == "HKCU" || root == "HKEY_CURRENT_USER")
        hive = HKEY_CURRENT_USER;
    else
        STRELL_THROW("regOpen", strell::formatString("Unkown base key \"%s\"!", root.c_str()));

    strell::unique_hkey key;
    const LONG ret = RegOpenKeyExA(hive, path.c_str(), 0, kAccess, key.put());
    STRELL_ASSERT(ret==ERROR_SUCCESS, "regOpen", strell::formatString("Could not open key \"%s\"!", keyText.c_str()));
    return key;
}

bool baseKeyExists(const std::string& keyText)
{
    try {
        regOpen(keyText);
        return true;
    } catch (...) {
        return false;
    }
}

strell::unique_hkey regOpenSubKey(HKEY parent, const std::wstring& name, const std::string& keyText)
{
    strell::unique_hkey key;
    const LONG ret = RegOpenKeyExW(parent, name.c_str(), 0, kAccess, key.put());
    STRELL_ASSERT(ret==ERROR_SUCCESS, "regOpen", strell::formatString("Could not open key \"%s\"!", keyText.c_str()));
    return key;
}

LONG enumSubKeys(HKEY key, std::vector<std::wstring>& names)
{
    for (DWORD index = 0;; ++index) {
        wchar_t name[kNameBuffer] = {};
        DWORD size = kNameBuffer;
        const LONG ret = RegEnumKeyExW(key, index, name, &size, nullptr, nullptr, nullptr, nullptr);
        if (ret != ERROR_SUCCESS)
            return ret;
        names.emplace_back(name, size);
    }
}

std::wstring readFolderValue(HKEY parent, const std::wstring& subKey, const std::string& keyText,
                             const wchar_t* valueName)
{
    const strell::unique_hkey key = regOpenSubKey(parent, subKey, keyText);
    wchar_t buffer[kValueBuffer] = {};
    DWORD size = sizeof buffer;
    DWORD type = REG_NONE;
    if (RegQueryValueExW(key.get(), valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
        ERROR_SUCCESS)
        return std::wstring();
    // The value need not be terminated: never read past the buffer.
    const std::wstring text(buffer, wcsnlen(buffer, kValueBuffer - 1));
    if (type != REG_EXPAND_SZ)
        return text;
    wchar_t expanded[kValueBuffer] = {};
    const DWORD length = ExpandEnvironmentStringsW(text.c_str(), expanded, kValueBuffer);
    return length == 0 || length > kValueBuffer ? std::wstring() : std::wstring(expanded);
}

} // namespace installer
