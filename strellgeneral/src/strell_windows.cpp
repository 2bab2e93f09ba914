#define STRELL_SOURCE "./src/strell_windows"

#include "strell_process.h"

#include "strell_exception.h"
#include "win32_handles.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <map>

namespace strell {

namespace {

// Enumeration callbacks must not let an exception cross the system's frames: the first one is kept
// here, the enumeration stopped and the exception raised again afterwards.
struct WindowCollector {
    WindowList* windows;
    bool topLevelOnly;
    std::exception_ptr error;
};

BOOL CALLBACK collectWindow(HWND window, LPARAM context)
{
    WindowCollector& collector = *reinterpret_cast<WindowCollector*>(context);
    try {
        if (!collector.topLevelOnly || GetParent(window) == nullptr)
            collector.windows->push_back(window);
        return TRUE;
    } catch (...) {
        collector.error = std::current_exception();
        return FALSE;
    }
}

} // namespace

// ---------------------------------------------------------------------------------------------------
// Windows

void getWindowList(WindowList& windows)
{
    WindowCollector collector{&windows, false, nullptr};
    const BOOL done = EnumWindows(collectWindow, reinterpret_cast<LPARAM>(&collector));
    if (collector.error)
        std::rethrow_exception(collector.error);
    if (!done)
        STRELL_THROW_WIN32("getWindowList");
}

std::string getWindowText(HWND window)
{
    // Wine answers for a window that does not exist with stack garbage; such a window has no title.
    if (!IsWindow(window))
        return std::string();
    char title[2048] = {};
    const int length = GetWindowTextA(window, title, sizeof title);
    if (length <= 0)
        return std::string();
    return std::string(title, strnlen(title, std::min<size_t>(static_cast<size_t>(length), sizeof title - 1)));
}

void getThreadList(DWORD processId, ThreadList& threads)
{
    unique_snapshot snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    if (!snapshot)
        STRELL_THROW_WIN32("CreateToolhelp32Snapshot");
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    if (!Thread32First(snapshot.get(), &entry))
        STRELL_THROW_WIN32("Thread32First, process with no threads?, Hm.");
    do {
        if (entry.th32OwnerProcessID == processId)
            threads.push_back(entry);
        entry.dwSize = sizeof entry;
    } while (Thread32Next(snapshot.get(), &entry));
}

void getThreadWindows(DWORD threadId, WindowList& windows, bool clear, bool topLevelOnly)
{
    if (clear)
        windows.clear();
    WindowCollector collector{&windows, topLevelOnly, nullptr};
    // FALSE here only means that the thread has no windows.
    EnumThreadWindows(threadId, collectWindow, reinterpret_cast<LPARAM>(&collector));
    if (collector.error)
        std::rethrow_exception(collector.error);
}

void getProcessWindows(DWORD processId, WindowList& windows, bool clear, bool topLevelOnly)
{
    if (clear)
        windows.clear();
    ThreadList threads;
    getThreadList(processId, threads);
    for (const THREADENTRY32& thread : threads)
        getThreadWindows(thread.th32ThreadID, windows, false, topLevelOnly);
}

void getProcessIdsOfWindows(WindowList windows, bool topLevelOnly, ProcessIdList& ids)
{
    std::map<DWORD, int> owners;
    for (HWND window : windows) {
        if (topLevelOnly && GetParent(window) != nullptr)
            continue;
        DWORD processId = 0;
        // A window that is gone by now has no owner to report.
        if (GetWindowThreadProcessId(window, &processId) == 0)
            continue;
        ++owners[processId];
    }
    for (const auto& owner : owners)
        ids.push_back(owner.first);
}

void getProcessIdsByWindowTitle(std::string pattern, bool invert, ProcessIdList& ids)
{
    WindowList windows;
    getWindowList(windows);
    filterWindowsByTitle(windows, pattern, invert, windows);
    getProcessIdsOfWindows(std::move(windows), true, ids);
}

} // namespace strell

std::ostream& operator<<(std::ostream& out, const strell::WindowList& windows)
{
    for (HWND window : windows)
        out << static_cast<const void*>(window) << " " << strell::getWindowText(window) << "\n";
    return out;
}
