#pragma once
// Reading the map products' registry entries: key texts such as "HKLM\SOFTWARE\Maker\Product".
// Below the base key, names are read and opened in their wide form: a name outside the ANSI code page
// would come back from the ANSI functions as a look-alike that opens nothing.

#include "win32_handles.h"

#include <string>
#include <vector>

namespace installer {

// Opens the key for querying values and enumerating sub-keys. Raises strell::exception for an unknown
// root or a key that cannot be opened.
strell::unique_hkey regOpen(const std::string& keyText);
bool baseKeyExists(const std::string& keyText);
// Opens the sub-key of an open key by its name; keyText names it in the raised strell::exception.
strell::unique_hkey regOpenSubKey(HKEY parent, const std::wstring& name, const std::string& keyText);
// Appends the names of the key's direct sub-keys. Returns ERROR_NO_MORE_ITEMS when the whole list was
// read, else the error that ended it.
LONG enumSubKeys(HKEY key, std::vector<std::wstring>& names);
// The text of a value of the sub-key, a REG_EXPAND_SZ with its environment variables expanded; empty
// when the value cannot be read (also when it is longer than 1023 characters). A sub-key that cannot be
// opened raises strell::exception naming keyText.
std::wstring readFolderValue(HKEY parent, const std::wstring& subKey, const std::string& keyText,
                             const wchar_t* valueName);

} // namespace installer
