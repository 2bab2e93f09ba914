#include "version_info.h"

#include <windows.h>

#include <cstdio>
#include <stdexcept>
#include <vector>

namespace testsupport {

namespace {

std::vector<char> versionData(const std::string& path)
{
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    std::vector<char> data(size);
    if (size == 0 || !GetFileVersionInfoA(path.c_str(), 0, size, data.data()))
        throw std::runtime_error("no version resource in " + path);
    return data;
}

std::string dotted(DWORD high, DWORD low)
{
    char text[64];
    std::snprintf(text, sizeof text, "%lu.%lu.%lu.%lu", static_cast<unsigned long>(HIWORD(high)),
                  static_cast<unsigned long>(LOWORD(high)), static_cast<unsigned long>(HIWORD(low)),
                  static_cast<unsigned long>(LOWORD(low)));
    return text;
}

} // namespace

std::string VersionInfo::value(const std::string& name) const
{
    std::vector<char> data = versionData(path);
    char* text = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(data.data(), (block + name).c_str(), reinterpret_cast<void**>(&text), &length) || !text)
        return std::string();
    // The length counts the terminating zero.
    return std::string(text, length > 0 ? length - 1 : 0);
}

VersionInfo readVersionInfo(const std::string& path)
{
    std::vector<char> data = versionData(path);
    VersionInfo info;
    info.path = path;

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length) || !fixed ||
        length < sizeof(VS_FIXEDFILEINFO))
        throw std::runtime_error("no fixed version in " + path);
    info.fileVersion = dotted(fixed->dwFileVersionMS, fixed->dwFileVersionLS);
    info.productVersion = dotted(fixed->dwProductVersionMS, fixed->dwProductVersionLS);

    WORD* translation = nullptr;
    if (!VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                        &length) ||
        !translation || length < 2 * sizeof(WORD))
        throw std::runtime_error("no translation in " + path);
    char block[64];
    std::snprintf(block, sizeof block, "\\StringFileInfo\\%04x%04x\\", translation[0], translation[1]);
    info.block = block;
    return info;
}

} // namespace testsupport
