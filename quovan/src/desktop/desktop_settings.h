#pragma once
// The desktop program's settings as its installation leaves them below HKEY_CURRENT_USER.

#include <string>

// The text of a value below HKEY_CURRENT_USER\Software\telvor\quovan: REG_SZ and REG_EXPAND_SZ as
// stored (not expanded), REG_DWORD in decimal; empty for any other type, a value that does not fit
// 1023 characters, a missing value or a missing key.
std::string readDesktopSetting(const std::string& name);

// Whether the desktop program is installed: its value "folder" is not empty.
bool isDesktopInstalled();
