#pragma once
// Texts of the simulated host's transcript, shared with the tests that read it: quoted texts and
// result names.

#include <windows.h>

#include <string>

namespace hostsim {

// The text in double quotes, with backslash, double quote, line feed, carriage return and tab escaped.
std::string quote(const std::string& text);
// "S_OK", "S_FALSE", "E_FAIL", ... or "0x8007000E" for a result without a name here.
std::string resultName(HRESULT result);
// Reads a name of resultName or a number (decimal or 0x-hexadecimal); false when it is neither.
bool parseResult(const std::string& text, HRESULT& result);

} // namespace hostsim
