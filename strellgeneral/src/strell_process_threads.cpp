#define STRELL_SOURCE "./src/strell_process_threads"

#include "strell_process.h"

#include "strell_exception.h"
#include "stringex.h"

#include <winternl.h>

#include <algorithm>
#include <cstddef>
#include <vector>

namespace strell {

namespace {

const NTSTATUS kLengthMismatch = static_cast<NTSTATUS>(0xC0000004L); // STATUS_INFO_LENGTH_MISMATCH

// One entry of the system's process list (SystemProcessInformation) up to its thread records, which
// follow it; the next entry lies NextEntryOffset bytes further. Only the counts, the ids and the start
// time are read.
struct ProcessEntry {
    ULONG NextEntryOffset;
    ULONG NumberOfThreads;
    LARGE_INTEGER counts[3];
    LARGE_INTEGER CreateTime;
    LARGE_INTEGER times[2];
    USHORT imageNameLength;
    USHORT imageNameMaximum;
    PWSTR imageName;
    LONG basePriority;
    HANDLE UniqueProcessId;
    HANDLE parentProcessId;
    ULONG handleCount;
    ULONG sessionId;
    ULONG_PTR processKey;
    SIZE_T memoryCounters[11]; // the one 32-bit counter among them takes a pointer's room
    SIZE_T privatePageCount;
    LARGE_INTEGER ioCounters[6];
};
static_assert(sizeof(ProcessEntry) == (sizeof(void*) == 4 ? 184 : 256), "process entry");

struct ThreadEntry {
    LARGE_INTEGER times[3];
    ULONG waitTime;
    PVOID startAddress;
    HANDLE UniqueProcess;
    HANDLE UniqueThread;
    LONG priority;
    LONG basePriority;
    ULONG contextSwitches;
    ULONG threadState;
    ULONG waitReason;
};
static_assert(sizeof(ThreadEntry) == (sizeof(void*) == 4 ? 64 : 80), "thread entry");

DWORD idOf(HANDLE id)
{
    return static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(id));
}

} // namespace

void getProcessThreads(ProcessThreadsList& processes)
{
    std::vector<BYTE> buffer(64 * 1024);
    ULONG length = 0;
    NTSTATUS status;
    // The list grows between two questions as processes start: asked again with room to spare.
    for (int attempt = 0;; ++attempt) {
        status = NtQuerySystemInformation(SystemProcessInformation, buffer.data(), static_cast<ULONG>(buffer.size()),
                                          &length);
        if (status != kLengthMismatch || attempt == 4)
            break;
        buffer.resize(std::max<size_t>(buffer.size() * 2, length + 16 * 1024));
    }
    if (status < 0)
        STRELL_THROW("strell::getProcessThreads",
                     formatString("NtQuerySystemInformation failed: 0x%08lX", static_cast<unsigned long>(status)));

    ProcessThreadsList found;
    const size_t size = std::min<size_t>(length, buffer.size());
    for (size_t offset = 0; offset + sizeof(ProcessEntry) <= size;) {
        const ProcessEntry* entry = reinterpret_cast<const ProcessEntry*>(buffer.data() + offset);
        ProcessThreads process;
        process.ProcessId = idOf(entry->UniqueProcessId);
        process.StartTime = static_cast<ULONGLONG>(entry->CreateTime.QuadPart);
        const ThreadEntry* threads = reinterpret_cast<const ThreadEntry*>(entry + 1);
        const size_t room = (size - offset - sizeof(ProcessEntry)) / sizeof(ThreadEntry);
        for (size_t i = 0; i < std::min<size_t>(entry->NumberOfThreads, room); ++i)
            process.ThreadIds.push_back(idOf(threads[i].UniqueThread));
        found.push_back(std::move(process));
        if (entry->NextEntryOffset == 0)
            break;
        offset += entry->NextEntryOffset;
    }
    std::sort(found.begin(), found.end(),
              [](const ProcessThreads& a, const ProcessThreads& b) { return a.ProcessId < b.ProcessId; });
    processes.swap(found);
}

} // namespace strell
