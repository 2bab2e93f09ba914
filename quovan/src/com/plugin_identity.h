#pragma once
// The plug-in's COM class: its identifiers and the texts of its registration.

#include <windows.h>
#include <objbase.h>

namespace plugin {

// {6f3e2c81-5b7a-4d19-9c4e-2a8d71f0b6e3}
const CLSID CLSID_QuovanPlugin = {0x6f3e2c81, 0x5b7a, 0x4d19, {0x9c, 0x4e, 0x2a, 0x8d, 0x71, 0xf0, 0xb6, 0xe3}};
const char* const kClassIdText = "{6f3e2c81-5b7a-4d19-9c4e-2a8d71f0b6e3}";
const char* const kProgId = "GeoPlugin.quovan";
// The host's category name of plug-in classes.
const char* const kPlugInCategory = "GeoPlugin";

} // namespace plugin
