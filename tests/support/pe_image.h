#pragma once
// Crafted Windows DLL images, small but complete, for the tests of the installer's plug-in check.

#include <windows.h>

#include <cstring>
#include <string>

namespace testsupport {

// The kind of DLL the installer accepts is that of its own build (32-bit as shipped, 64-bit in the test
// build of machines that run 64-bit code only); the other kind it refuses.
#ifdef _WIN64
constexpr WORD kPluginMachine = IMAGE_FILE_MACHINE_AMD64;
constexpr WORD kForeignMachine = IMAGE_FILE_MACHINE_I386;
constexpr char kPluginKind[] = "64-bit Windows DLL";
#else
constexpr WORD kPluginMachine = IMAGE_FILE_MACHINE_I386;
constexpr WORD kForeignMachine = IMAGE_FILE_MACHINE_AMD64;
constexpr char kPluginKind[] = "32-bit Windows DLL";
#endif
// A small but complete Windows DLL of the given machine that carries a text of its own.
std::string pluginImage(const std::string& marker, WORD machine = kPluginMachine);

// A field of an image, written or read at its offset.
template <typename Value>
void put(std::string& image, size_t offset, Value value)
{
    std::memcpy(&image[offset], &value, sizeof value);
}
template <typename Value>
Value get(const std::string& image, size_t offset)
{
    Value value;
    std::memcpy(&value, &image[offset], sizeof value);
    return value;
}

} // namespace testsupport
