#define STRELL_SOURCE "./src/strell_process"

#include "strell_process.h"

#include "strell_exception.h"
#include "strell_systeminfo.h"
#include "strell_trace.h"
#include "stringex.h"
#include "win32_handles.h"

#include <psapi.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace strell {

namespace {

// The other process has the same bitness as this one, so its blocks have this build's pointer size.
// Beginning of the process environment block: the parameters address follows two pointers' worth of
// flags and the mutant and image base pointers.
struct PebHead {
    BYTE reserved[2 * sizeof(void*)];
    void* reserved2[2];
    ULONG_PTR ProcessParameters;
};
static_assert(offsetof(PebHead, ProcessParameters) == (sizeof(void*) == 4 ? 16 : 32), "PEB head");

struct CountedText {
    USHORT Length;         // bytes, without terminator
    USHORT MaximumLength;  // bytes
    ULONG_PTR Buffer;
};

// Beginning of the process parameters: the command line follows the sizes and flags, the console and
// standard handles, the current folder, the DLL path and the image path.
struct ProcessParametersHead {
    ULONG sizes[4];
    void* console;
    ULONG consoleFlags;
    void* standardHandles[3];
    CountedText currentDirectory;
    void* currentDirectoryHandle;
    CountedText dllPath;
    CountedText imagePath;
    CountedText CommandLine;
};
static_assert(offsetof(ProcessParametersHead, CommandLine) == (sizeof(void*) == 4 ? 64 : 112),
              "process parameters head");

struct BasicInformation {
    LONG ExitStatus;
    ULONG_PTR PebBaseAddress;
    ULONG_PTR AffinityMask;
    LONG BasePriority;
    ULONG_PTR UniqueProcessId;
    ULONG_PTR InheritedFromUniqueProcessId;
};
static_assert(sizeof(BasicInformation) == 6 * sizeof(void*), "basic process information");

typedef LONG(WINAPI* NtQueryInformationProcessFn)(HANDLE, ULONG, PVOID, ULONG, PULONG);

// Address of the environment block of another process; the fixed address of older systems unless
// ntdll can tell.
ULONG_PTR environmentBlockAddress(HANDLE process)
{
    ULONG_PTR address = 0x7FFDF000;
    static const NtQueryInformationProcessFn query = [] {
        HMODULE ntdll = GetModuleHandleA("ntdll.dll");
        return ntdll ? reinterpret_cast<NtQueryInformationProcessFn>(
                           reinterpret_cast<void*>(GetProcAddress(ntdll, "NtQueryInformationProcess")))
                     : nullptr;
    }();
    if (query) {
        BasicInformation info = {};
        if (query(process, 0 /* ProcessBasicInformation */, &info, sizeof info, nullptr) >= 0 &&
            info.PebBaseAddress != 0)
            address = info.PebBaseAddress;
    }
    return address;
}

void readMemory(HANDLE process, ULONG_PTR address, void* buffer, size_t size, const char* failure)
{
    if (!ReadProcessMemory(process, reinterpret_cast<LPCVOID>(address), buffer, size,
                           nullptr))
        STRELL_THROW_WIN32(failure);
}

// Wide text to the system's code page; characters it cannot show become '?'.
std::string narrow(const wchar_t* text, size_t length)
{
    if (length == 0)
        return std::string();
    // No best-fit look-alikes: a Greek alpha must not turn into an "a" that a pattern then matches.
    const DWORD flags = WC_NO_BEST_FIT_CHARS;
    const int size =
        WideCharToMultiByte(CP_ACP, flags, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return std::string();
    std::string result(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, flags, text, static_cast<int>(length), &result[0], size, nullptr, nullptr);
    return result;
}

} // namespace

// ---------------------------------------------------------------------------------------------------
// Processes and their information

void getProcessIds(ProcessIdList& ids)
{
    DWORD buffer[16384 / sizeof(DWORD)];
    DWORD bytes = 0;
    if (!EnumProcesses(buffer, sizeof buffer, &bytes))
        STRELL_THROW_WIN32("EnumProcesses(query size) failed");
    const size_t count = std::min<size_t>(bytes, sizeof buffer) / sizeof(DWORD);
    ids.insert(ids.end(), buffer, buffer + count);
}

void getProcessList(ProcessInfoList& infos)
{
    unique_snapshot snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot)
        STRELL_THROW_WIN32("CreateToolhelp32Snapshot(processes) failed");
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    if (!Process32First(snapshot.get(), &entry))
        STRELL_THROW_WIN32("Process32First failed");
    ProcessInfoList listed;
    do {
        ProcessInfo info;
        info.ProcessId = entry.th32ProcessID;
        info.ExeModuleInfo.BaseName = entry.szExeFile;
        listed.push_back(std::move(info));
        entry.dwSize = sizeof entry;
    } while (Process32Next(snapshot.get(), &entry));
    infos.insert(infos.end(), listed.begin(), listed.end());
}

std::string getProcessCommandLine(HANDLE process)
{
    // Another bitness's blocks have another layout, and where its environment block lies is not told:
    // reading at a guessed address would give garbage.
    if (!hasOwnBitness(process))
        STRELL_THROW("strell::getProcessCommandLine", "the process's bitness differs from this one's; its memory is not read");
    enableDebugPrivilege();
    const ULONG_PTR pebAddress = environmentBlockAddress(process);

    PebHead peb;
    readMemory(process, pebAddress, &peb, sizeof peb, "ReadProcessMemory(1) failed");
    ProcessParametersHead parameters;
    readMemory(process, peb.ProcessParameters, &parameters, sizeof parameters, "ReadProcessMemory(2) failed");

    // Only the counted characters belong to the command line: whatever the other process holds in its
    // maximum length, a missing terminator or an odd byte count, nothing past them is read or converted.
    const size_t characters = parameters.CommandLine.Length / sizeof(wchar_t);
    if (characters == 0)
        return std::string();
    std::vector<wchar_t> text(characters + 1, L'\0');
    readMemory(process, parameters.CommandLine.Buffer, text.data(), characters * sizeof(wchar_t),
               "ReadProcessMemory(3) failed");
    // A zero inside the counted characters ends the text, as with any zero-terminated string.
    const size_t length = std::find(text.begin(), text.begin() + characters, L'\0') - text.begin();
    return narrow(text.data(), length);
}

void getProcessInfo(DWORD processId, ProcessInfo& info)
{
    if (processId == 0) {
        info = ProcessInfo();
        return;
    }
    unique_process process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    if (!process)
        STRELL_THROW_WIN32(formatString("OpenProcess(processid: %d) failed", static_cast<int>(processId)));
    try {
        ProcessInfo result;
        result.ProcessId = processId;
        result.CommandLine = getProcessCommandLine(process.get());
        ModuleInfoList modules;
        getModuleList(process.get(), modules);
        for (ModuleInfo& module : modules)
            if (toLower(getExtension(module.BaseName)) == "exe")
                result.ExeModuleInfo = std::move(module);
        process.reset();
        info = std::move(result);
    } catch (const exception& e) {
        STRELL_THROW("strell::getProcessInfo",
                     "process_id(" + std::to_string(static_cast<int>(processId)) + ") " + e.text());
    }
}

void getProcessInfoList(const ProcessIdList& ids, ProcessInfoList& infos)
{
    for (DWORD id : ids) {
        try {
            ProcessInfo info;
            getProcessInfo(id, info);
            infos.push_back(std::move(info));
        } catch (const exception& e) {
            traceVerbose("%s\n", e.text().c_str());
        }
    }
}

namespace {

// The executable's path: by its image name where the system offers that query (it needs the least
// access and reads nothing of the process's memory), else by its main module.
std::string processExePath(DWORD processId)
{
    typedef BOOL(WINAPI * QueryImageNameFunction)(HANDLE, DWORD, LPSTR, PDWORD);
    static const QueryImageNameFunction queryImageName = reinterpret_cast<QueryImageNameFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "QueryFullProcessImageNameA")));
    const DWORD kLimitedQuery = 0x1000; // PROCESS_QUERY_LIMITED_INFORMATION
    char path[2048];
    if (queryImageName) {
        unique_process process(OpenProcess(kLimitedQuery, FALSE, processId));
        DWORD length = sizeof path;
        if (process && queryImageName(process.get(), 0, path, &length))
            return std::string(path, std::min<DWORD>(length, sizeof path - 1));
    }
    unique_process process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    if (!process)
        STRELL_THROW_WIN32(formatString("OpenProcess(processid: %d) failed", static_cast<int>(processId)));
    const DWORD length = GetModuleFileNameExA(process.get(), nullptr, path, sizeof path);
    if (length == 0)
        STRELL_THROW_WIN32(formatString("GetModuleFileNameEx(processid: %d) failed", static_cast<int>(processId)));
    return std::string(path, std::min<DWORD>(length, sizeof path - 1));
}

} // namespace

void getProcessExeList(const ProcessIdList& ids, ProcessInfoList& infos)
{
    for (DWORD id : ids) {
        if (id == 0)
            continue;
        try {
            ProcessInfo info;
            info.ProcessId = id;
            info.ExeModuleInfo.FullPathName = processExePath(id);
            const size_t folder = info.ExeModuleInfo.FullPathName.find_last_of("\\/");
            info.ExeModuleInfo.BaseName = folder == std::string::npos ? info.ExeModuleInfo.FullPathName
                                                                        : info.ExeModuleInfo.FullPathName.substr(folder + 1);
            infos.push_back(std::move(info));
        } catch (const exception& e) {
            traceVerbose("%s\n", e.text().c_str());
        }
    }
}

// ---------------------------------------------------------------------------------------------------
// Diagnostic output

std::ostream& operator<<(std::ostream& out, const ModuleInfo& info)
{
    return out << "hModule      " << static_cast<const void*>(info.hModule) << "\n"
               << "BaseName     " << info.BaseName << "\n"
               << "FullPathName " << info.FullPathName << "\n";
}

std::ostream& operator<<(std::ostream& out, const ProcessInfo& info)
{
    return out << "ProcessId    " << info.ProcessId << "\n"
               << "CommandLine  " << info.CommandLine << "\n"
               << "ExeModuleInfo: \n"
               << info.ExeModuleInfo;
}

std::ostream& operator<<(std::ostream& out, const ProcessInfoList& infos)
{
    for (const ProcessInfo& info : infos)
        out << info << "\n";
    return out;
}

} // namespace strell
