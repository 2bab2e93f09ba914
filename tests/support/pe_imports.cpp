#include "pe_imports.h"

#include "test_support.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace testsupport {

namespace {

// A bounds-checked view of the file's bytes.
class FileImage {
public:
    explicit FileImage(const std::string& path) : m_Path(path), m_Bytes(readFile(path)) {}

    template <typename T>
    T at(size_t offset) const
    {
        if (offset > m_Bytes.size() || m_Bytes.size() - offset < sizeof(T))
            fail("truncated");
        T value;
        std::memcpy(&value, m_Bytes.data() + offset, sizeof(T));
        return value;
    }
    std::string textAt(size_t offset) const
    {
        if (offset >= m_Bytes.size())
            fail("name outside the file");
        const size_t end = m_Bytes.find('\0', offset);
        if (end == std::string::npos)
            fail("unterminated name");
        return m_Bytes.substr(offset, end - offset);
    }
    [[noreturn]] void fail(const char* what) const { throw std::runtime_error(m_Path + ": " + what); }

private:
    std::string m_Path;
    std::string m_Bytes;
};

struct Section {
    DWORD address;
    DWORD size;
    DWORD fileOffset;
};

size_t fileOffset(const FileImage& image, const std::vector<Section>& sections, DWORD rva)
{
    for (const Section& s : sections)
        if (rva >= s.address && rva - s.address < s.size)
            return s.fileOffset + (rva - s.address);
    image.fail("address outside every section");
}

} // namespace

std::vector<std::string> importedDlls(const std::string& path)
{
    const FileImage image(path);
    const auto dos = image.at<IMAGE_DOS_HEADER>(0);
    if (dos.e_magic != IMAGE_DOS_SIGNATURE)
        image.fail("no MZ header");
    const size_t nt = static_cast<size_t>(dos.e_lfanew);
    if (image.at<DWORD>(nt) != IMAGE_NT_SIGNATURE)
        image.fail("no PE header");
    const auto fileHeader = image.at<IMAGE_FILE_HEADER>(nt + sizeof(DWORD));
    const size_t optional = nt + sizeof(DWORD) + sizeof(IMAGE_FILE_HEADER);

    // The optional header differs between PE32 and PE32+ only in size and in where the directories are.
    IMAGE_DATA_DIRECTORY imports = {};
    IMAGE_DATA_DIRECTORY delayImports = {};
    const WORD magic = image.at<WORD>(optional);
    if (magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC) {
        const auto header = image.at<IMAGE_OPTIONAL_HEADER32>(optional);
        imports = header.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        delayImports = header.DataDirectory[IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT];
    } else if (magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
        const auto header = image.at<IMAGE_OPTIONAL_HEADER64>(optional);
        imports = header.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        delayImports = header.DataDirectory[IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT];
    } else {
        image.fail("unknown optional header");
    }

    std::vector<Section> sections;
    const size_t sectionTable = optional + fileHeader.SizeOfOptionalHeader;
    for (WORD i = 0; i < fileHeader.NumberOfSections; ++i) {
        const auto s = image.at<IMAGE_SECTION_HEADER>(sectionTable + i * sizeof(IMAGE_SECTION_HEADER));
        sections.push_back({s.VirtualAddress, std::max(s.Misc.VirtualSize, s.SizeOfRawData), s.PointerToRawData});
    }

    std::vector<std::string> names;
    if (imports.VirtualAddress != 0) {
        for (size_t entry = fileOffset(image, sections, imports.VirtualAddress);; entry += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
            const auto descriptor = image.at<IMAGE_IMPORT_DESCRIPTOR>(entry);
            if (descriptor.Name == 0)
                break;
            names.push_back(image.textAt(fileOffset(image, sections, descriptor.Name)));
        }
    }
    if (delayImports.VirtualAddress != 0) {
        // Each delay-load descriptor: attributes, then the address of the DLL's name, then six more fields.
        for (size_t entry = fileOffset(image, sections, delayImports.VirtualAddress);; entry += 8 * sizeof(DWORD)) {
            const DWORD name = image.at<DWORD>(entry + sizeof(DWORD));
            if (name == 0)
                break;
            names.push_back(image.textAt(fileOffset(image, sections, name)));
        }
    }
    return names;
}

std::vector<std::string> foreignImports(const std::string& path)
{
    static const char* const kSystemDlls[] = {"kernel32.dll", "user32.dll", "advapi32.dll",
                                              "shell32.dll",  "msvcrt.dll", "psapi.dll",
                                              "ws2_32.dll",   "ole32.dll",  "oleaut32.dll",
                                              "ntdll.dll",    "gdi32.dll"};
    std::vector<std::string> foreign;
    for (const std::string& name : importedDlls(path)) {
        const bool known = std::any_of(std::begin(kSystemDlls), std::end(kSystemDlls),
                                        [&](const char* dll) { return _stricmp(dll, name.c_str()) == 0; });
        if (!known)
            foreign.push_back(name);
    }
    return foreign;
}

} // namespace testsupport
