#include "pe_image.h"

#include <cstring>

namespace testsupport {

namespace {

template <typename NtHeaders>
std::string imageWithHeaders(const std::string& marker, WORD machine, WORD magic, WORD characteristics)
{
    const DWORD headersSize = 0x200;
    std::string image(headersSize, '\0');
    IMAGE_DOS_HEADER dos = {};
    dos.e_magic = IMAGE_DOS_SIGNATURE;
    dos.e_lfanew = sizeof dos;
    NtHeaders nt = {};
    nt.Signature = IMAGE_NT_SIGNATURE;
    nt.FileHeader.Machine = machine;
    nt.FileHeader.NumberOfSections = 1;
    nt.FileHeader.SizeOfOptionalHeader = sizeof nt.OptionalHeader;
    nt.FileHeader.Characteristics = IMAGE_FILE_EXECUTABLE_IMAGE | IMAGE_FILE_DLL | characteristics;
    nt.OptionalHeader.Magic = magic;
    nt.OptionalHeader.SizeOfHeaders = headersSize;
    IMAGE_SECTION_HEADER section = {};
    std::memcpy(section.Name, ".data", 5);
    section.Misc.VirtualSize = static_cast<DWORD>(marker.size());
    section.VirtualAddress = 0x1000;
    section.SizeOfRawData = static_cast<DWORD>(marker.size());
    section.PointerToRawData = headersSize;
    std::memcpy(&image[0], &dos, sizeof dos);
    std::memcpy(&image[sizeof dos], &nt, sizeof nt);
    std::memcpy(&image[sizeof dos + sizeof nt], &section, sizeof section);
    return image + marker;
}

} // namespace

std::string pluginImage(const std::string& marker, WORD machine)
{
    if (machine == IMAGE_FILE_MACHINE_AMD64)
        return imageWithHeaders<IMAGE_NT_HEADERS64>(marker, machine, IMAGE_NT_OPTIONAL_HDR64_MAGIC,
                                                    IMAGE_FILE_LARGE_ADDRESS_AWARE);
    return imageWithHeaders<IMAGE_NT_HEADERS32>(marker, machine, IMAGE_NT_OPTIONAL_HDR32_MAGIC,
                                                IMAGE_FILE_32BIT_MACHINE);
}

} // namespace testsupport
