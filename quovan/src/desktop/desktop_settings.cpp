#include "desktop/desktop_settings.h"

#include "stringex.h"
#include "win32_handles.h"

#include <windows.h>

#include <cstring>

namespace {

const char* const kSettingsKey = "Software\\telvor\\quovan";
const DWORD kValueBufferSize = 1024;

} // namespace

std::string readDesktopSetting(const std::string& name)
{
    strell::unique_hkey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return std::string();

    BYTE buffer[kValueBufferSize] = {};
    DWORD type = REG_NONE;
    DWORD size = sizeof buffer;
    if (RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, buffer, &size) != ERROR_SUCCESS)
        return std::string();

    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ: {
        // A stored text need not end in a zero byte; it never reaches beyond what was read.
        const char* text = reinterpret_cast<const char*>(buffer);
        return std::string(text, strnlen(text, size));
    }
    case REG_DWORD:
        if (size < sizeof(DWORD))
            return std::string();
        DWORD number;
        std::memcpy(&number, buffer, sizeof number);
        return strell::formatString("%u", static_cast<unsigned>(number));
    default:
        return std::string();
    }
}

bool isDesktopInstalled()
{
    return !readDesktopSetting("folder").empty();
}
