#pragma once
// Reading the map products' registry entries: key texts such as "HKLM\SOFTWARE\Maker\Product".

#include "win32_handles.h"

#include <string>
#include <vector>

namespace installer {

// Opens the key for querying values and enumerating sub-keys. Raises strell::exception for an unknown
// root or a key that cannot be opened.
strell::unique_hkey regOpen(const std::string& keyText);
bool baseKeyExists(const std::string& keyText);
// Appends the names of the key's direct sub-keys; the first failing enumeration ends the list.
LONG enumSubKeys(HKEY key, std::vector<std::string>& names);
// The value's text, or empty text when it cannot be read (also when it is longer than 1023 characters).
std::string readRegistryString(const std::string& keyText, const std::string& valueName);

} // namespace installer
