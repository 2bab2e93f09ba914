#include "registry.h"

#include "strell_exception.h"
#include "stringex.h"

#include <cstring>

#define STRELL_SOURCE "./src/registry"

namespace installer {

namespace {
const size_t kNameBuffer = 256;
const size_t kValueBuffer = 1024;
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
    const LONG ret = RegOpenKeyExA(hive, path.c_str(), 0, KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS, key.put());
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

LONG enumSubKeys(HKEY key, std::vector<std::string>& names)
{
    LONG ret = ERROR_SUCCESS;
    for (DWORD index = 0;; ++index) {
        char name[kNameBuffer] = {};
        DWORD size = kNameBuffer;
        ret = RegEnumKeyExA(key, index, name, &size, nullptr, nullptr, nullptr, nullptr);
        if (ret != ERROR_SUCCESS)
            return ret;
        names.emplace_back(name);
    }
}

std::string readRegistryString(const std::string& keyText, const std::string& valueName)
{
    strell::unique_hkey key = regOpen(keyText);
    char buffer[kValueBuffer] = {};
    DWORD size = kValueBuffer;
    const LONG ret = RegQueryValueExA(key.get(), valueName.c_str(), nullptr, nullptr,
                                      reinterpret_cast<BYTE*>(buffer), &size);
    if (ret != ERROR_SUCCESS)
        return std::string();
    // The value need not be terminated: never read past the buffer.
    return std::string(buffer, strnlen(buffer, kValueBuffer - 1));
}

} // namespace installer
