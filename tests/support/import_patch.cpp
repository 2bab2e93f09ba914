#include "import_patch.h"

#include <cstring>

namespace hostsim {

namespace {

void writeThunk(IMAGE_THUNK_DATA* thunk, const void* replacement)
{
    DWORD protection = 0;
    VirtualProtect(&thunk->u1.Function, sizeof thunk->u1.Function, PAGE_READWRITE, &protection);
    thunk->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
    VirtualProtect(&thunk->u1.Function, sizeof thunk->u1.Function, protection, &protection);
}

bool importedByName(const BYTE* base, const IMAGE_THUNK_DATA* name, const char* function)
{
    if (IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal))
        return false;
    const IMAGE_IMPORT_BY_NAME* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + name->u1.AddressOfData);
    return std::strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0;
}

} // namespace

bool replaceImport(HMODULE module, const char* dll, const char* function, const void* replacement)
{
    const HMODULE system = GetModuleHandleA(dll);
    const FARPROC original = system ? GetProcAddress(system, function) : nullptr;
    if (!module)
        return false;

    BYTE* base = reinterpret_cast<BYTE*>(module);
    const IMAGE_DOS_HEADER* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const IMAGE_NT_HEADERS* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0)
        return false;
    bool replaced = false;
    for (const IMAGE_IMPORT_DESCRIPTOR* descriptor =
             reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         descriptor->Name != 0; ++descriptor) {
        if (lstrcmpiA(reinterpret_cast<const char*>(base + descriptor->Name), dll) != 0)
            continue;
        IMAGE_THUNK_DATA* thunk = reinterpret_cast<IMAGE_THUNK_DATA*>(base + descriptor->FirstThunk);
        const IMAGE_THUNK_DATA* name = descriptor->OriginalFirstThunk
                                           ? reinterpret_cast<const IMAGE_THUNK_DATA*>(base + descriptor->OriginalFirstThunk)
                                           : nullptr;
        for (; thunk->u1.Function != 0; ++thunk) {
            const bool match = name ? importedByName(base, name, function)
                                    : original && thunk->u1.Function == reinterpret_cast<ULONG_PTR>(original);
            if (match) {
                writeThunk(thunk, replacement);
                replaced = true;
            }
            if (name)
                ++name;
        }
    }
    return replaced;
}

} // namespace hostsim
