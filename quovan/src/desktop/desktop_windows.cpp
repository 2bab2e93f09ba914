#include "desktop/desktop_windows.h"

#include <windows.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

namespace {

// The programs of the processes an earlier search has read, by process id and start time: a process
// keeps its program for life, so that a search reads only the programs of processes new since.
class CProgramCache {
public:
    // The processes with their programs, in the order given; those that cannot be read are left out.
    strell::ProcessInfoList programsOf(const strell::ProcessThreadsList& processes)
    {
        std::lock_guard<std::mutex> lock(m_Lock);
        strell::ProcessIdList unknown;
        for (const strell::ProcessThreads& process : processes)
            if (m_Programs.count(keyOf(process)) == 0)
                unknown.push_back(process.ProcessId);
        strell::ProcessInfoList read;
        strell::getProcessExeList(unknown, read);
        std::map<DWORD, const strell::ProcessInfo*> fresh;
        for (const strell::ProcessInfo& info : read)
            fresh[info.ProcessId] = &info;

        std::map<Key, strell::ProcessInfo> kept;
        strell::ProcessInfoList programs;
        for (const strell::ProcessThreads& process : processes) {
            const auto known = m_Programs.find(keyOf(process));
            const auto added = fresh.find(process.ProcessId);
            if (known != m_Programs.end())
                programs.push_back(known->second);
            else if (added != fresh.end())
                programs.push_back(*added->second);
            else
                continue;
            kept.emplace(keyOf(process), programs.back());
        }
        // Processes that have ended are forgotten.
        m_Programs.swap(kept);
        return programs;
    }

private:
    using Key = std::pair<DWORD, ULONGLONG>;
    static Key keyOf(const strell::ProcessThreads& process) { return Key(process.ProcessId, process.StartTime); }

    std::mutex m_Lock;
    std::map<Key, strell::ProcessInfo> m_Programs;
};

CProgramCache& programCache()
{
    static CProgramCache cache;
    return cache;
}

bool contains(const strell::WindowList& windows, HWND window)
{
    return std::find(windows.begin(), windows.end(), window) != windows.end();
}

// The top-level windows of the process in the system's order of top-level windows. Each thread
// gives its own in that order; only windows on several threads need the whole list to be merged.
strell::WindowList windowsOf(const strell::ProcessThreads& process)
{
    strell::WindowList windows;
    int threadsWithWindows = 0;
    for (DWORD thread : process.ThreadIds) {
        const size_t before = windows.size();
        strell::getThreadWindows(thread, windows, false, false);
        threadsWithWindows += windows.size() > before ? 1 : 0;
    }
    if (threadsWithWindows < 2)
        return windows;
    strell::WindowList all, ordered;
    strell::getWindowList(all);
    for (HWND window : all)
        if (contains(windows, window))
            ordered.push_back(window);
    return ordered;
}

} // namespace

strell::WindowList findDesktopWindows(const std::string& titlePattern, const std::string& programPattern)
{
    strell::ProcessThreadsList processes;
    strell::getProcessThreads(processes);
    strell::ProcessInfoList programs = programCache().programsOf(processes);
    strell::filterProcessInfo(programs, programs, programPattern, strell::FILTER_FULLPATHNAME, false, false);

    strell::WindowList found;
    for (const strell::ProcessInfo& program : programs) {
        const auto process = std::lower_bound(
            processes.begin(), processes.end(), program.ProcessId,
            [](const strell::ProcessThreads& entry, DWORD id) { return entry.ProcessId < id; });
        if (process == processes.end() || process->ProcessId != program.ProcessId)
            continue;
        strell::WindowList windows = windowsOf(*process);
        if (!titlePattern.empty())
            strell::filterWindowsByTitle(windows, titlePattern, false, windows);
        // A process counts by a titled window that stands alone, not by a titled dialog only.
        if (std::any_of(windows.begin(), windows.end(), [](HWND window) { return GetParent(window) == nullptr; }))
            found.insert(found.end(), windows.begin(), windows.end());
    }
    return found;
}
