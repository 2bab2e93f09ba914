#pragma once
// Paths for the ANSI functions of the library. A folder named with characters outside the ANSI code
// page ("Łukasz" on a western system) reads through the ANSI functions as a look-alike name that names
// nothing; its short (8.3) form names the same folder and fits the code page.

#include <string>

namespace strell {

// The path in the ANSI code page: as it is when every character fits, otherwise its short form.
// False when neither fits (the path does not exist, or the volume keeps no short names).
bool toAnsiPath(const std::wstring& path, std::string& ansiPath);

// The text in the ANSI code page for messages and lists; characters that do not fit become
// look-alikes or "?".
std::string toAnsiText(const std::wstring& text);

// The ANSI text as a wide text.
std::wstring toWideText(const std::string& text);

} // namespace strell
