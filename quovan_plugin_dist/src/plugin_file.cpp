#include "plugin_file.h"

#include "win32_handles.h"

#include <windows.h>

#include <cstring>
#include <vector>

namespace installer {

namespace {

// Far above any plug-in build; a larger file is no plug-in either.
constexpr LONGLONG kLargestPlugin = 64LL * 1024 * 1024;

template <typename Header>
bool readAt(const std::vector<char>& image, size_t offset, Header& header)
{
    if (offset > image.size() || image.size() - offset < sizeof header)
        return false;
    std::memcpy(&header, image.data() + offset, sizeof header);
    return true;
}

// The map host loads the plug-in, and the host is a program of the installer's own kind: the shipped
// 32-bit installer accepts 32-bit DLLs only. A 64-bit build of the same sources (the test build where
// only 64-bit code runs) installs the plug-in of its own build, a 64-bit DLL.
#ifdef _WIN64
using PluginNtHeaders = IMAGE_NT_HEADERS64;
constexpr WORD kPluginMachine = IMAGE_FILE_MACHINE_AMD64;
constexpr WORD kPluginMagic = IMAGE_NT_OPTIONAL_HDR64_MAGIC;
#else
using PluginNtHeaders = IMAGE_NT_HEADERS32;
constexpr WORD kPluginMachine = IMAGE_FILE_MACHINE_I386;
constexpr WORD kPluginMagic = IMAGE_NT_OPTIONAL_HDR32_MAGIC;
#endif

// WIN_CERTIFICATE without its data.
struct CertificateHeader {
    DWORD length; // of the entry, header included
    WORD revision;
    WORD type;
};

// The certificate table (the signature) is the one directory that is no part of the loaded image: it
// lies after the last section's data, as a run of WIN_CERTIFICATE entries, each padded to 8 bytes. A
// download cut short or a damaged signature shows here, before the loader or the signature check
// stumbles over it.
bool hasSoundCertificateTable(const std::vector<char>& image, const decltype(PluginNtHeaders::OptionalHeader)& optional,
                              ULONGLONG sectionsEnd)
{
    if (optional.NumberOfRvaAndSizes <= IMAGE_DIRECTORY_ENTRY_SECURITY)
        return true;
    const IMAGE_DATA_DIRECTORY& table = optional.DataDirectory[IMAGE_DIRECTORY_ENTRY_SECURITY];
    if (table.VirtualAddress == 0 && table.Size == 0)
        return true;
    // Its "address" is a file offset.
    const ULONGLONG start = table.VirtualAddress;
    const ULONGLONG end = start + table.Size;
    if (table.VirtualAddress == 0 || table.Size == 0 || start < sectionsEnd || end > image.size() || start % 8 != 0)
        return false;
    for (ULONGLONG offset = start; offset < end;) {
        CertificateHeader header;
        if (!readAt(image, static_cast<size_t>(offset), header) || header.length <= sizeof header ||
            offset + header.length > end)
            return false;
        // Each entry is padded to 8 bytes; the last one's padding may be left out of the table's size.
        offset += (static_cast<ULONGLONG>(header.length) + 7) / 8 * 8;
    }
    return true;
}

bool isCompleteDllOfOurKind(const std::vector<char>& image)
{
    IMAGE_DOS_HEADER dos;
    if (!readAt(image, 0, dos) || dos.e_magic != IMAGE_DOS_SIGNATURE || dos.e_lfanew < 0)
        return false;
    PluginNtHeaders nt;
    const size_t ntOffset = static_cast<size_t>(dos.e_lfanew);
    if (!readAt(image, ntOffset, nt) || nt.Signature != IMAGE_NT_SIGNATURE || nt.FileHeader.Machine != kPluginMachine ||
        (nt.FileHeader.Characteristics & IMAGE_FILE_DLL) == 0 || nt.OptionalHeader.Magic != kPluginMagic ||
        nt.OptionalHeader.SizeOfHeaders > image.size())
        return false;
    const size_t sections = ntOffset + offsetof(PluginNtHeaders, OptionalHeader) + nt.FileHeader.SizeOfOptionalHeader;
    ULONGLONG sectionsEnd = nt.OptionalHeader.SizeOfHeaders;
    for (WORD i = 0; i < nt.FileHeader.NumberOfSections; ++i) {
        IMAGE_SECTION_HEADER section;
        if (!readAt(image, sections + i * sizeof section, section))
            return false;
        const ULONGLONG end = static_cast<ULONGLONG>(section.PointerToRawData) + section.SizeOfRawData;
        if (section.SizeOfRawData > 0 && end > image.size())
            return false;
        if (section.SizeOfRawData > 0 && end > sectionsEnd)
            sectionsEnd = end;
    }
    return nt.FileHeader.NumberOfSections > 0 && hasSoundCertificateTable(image, nt.OptionalHeader, sectionsEnd);
}

} // namespace

PluginFileState inspectPluginFile(const std::string& path, unsigned long& error, strell::unique_hfile& file)
{
    error = 0;
    file.reset();
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return PluginFileState::Missing;
    }
    // No sharing for writing or deleting: the file checked is the file copied.
    file.reset(
        CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        error = GetLastError();
        return PluginFileState::Unreadable;
    }
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file.get(), &size)) {
        error = GetLastError();
        return PluginFileState::Unreadable;
    }
    if (size.QuadPart > kLargestPlugin)
        return PluginFileState::Damaged;
    std::vector<char> image(static_cast<size_t>(size.QuadPart));
    size_t done = 0;
    while (done < image.size()) {
        DWORD read = 0;
        if (!ReadFile(file.get(), image.data() + done, static_cast<DWORD>(image.size() - done), &read, nullptr)) {
            error = GetLastError();
            return PluginFileState::Unreadable;
        }
        if (read == 0)
            break;
        done += read;
    }
    image.resize(done);
    if (SetFilePointer(file.get(), 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) {
        error = GetLastError();
        return PluginFileState::Unreadable;
    }
    return isCompleteDllOfOurKind(image) ? PluginFileState::Usable : PluginFileState::Damaged;
}

} // namespace installer
