#pragma once
// Processes and windows of the machine: process ids, command lines and executable modules of other
// processes, pattern filters over such lists, window lists and the processes behind them, termination.
//
// Built for 32-bit Windows: the command line of another process is read from its process parameters
// with the 32-bit layout of the process environment block.

#include <windows.h>
#include <tlhelp32.h>

#include <ostream>
#include <string>
#include <vector>

namespace strell {

// One loaded module of a process.
struct ModuleInfo {
    HMODULE hModule = nullptr;  // base address in the target process
    std::string BaseName;       // file name without folder; empty if the query failed
    std::string FullPathName;   // full path; empty if the query failed
};

// One process. ProcessId 0 stands for no process.
struct ProcessInfo {
    DWORD ProcessId = 0;
    std::string CommandLine;
    ModuleInfo ExeModuleInfo;   // the module whose base name ends in ".exe" (any case); empty if none
};

// Which text of a ProcessInfo a filter examines.
typedef unsigned int filter_mode;
constexpr filter_mode FILTER_PROCESSID = 0;     // ProcessId in decimal
constexpr filter_mode FILTER_COMMANDLINE = 1;   // CommandLine
constexpr filter_mode FILTER_BASENAME = 2;      // ExeModuleInfo.BaseName
constexpr filter_mode FILTER_FULLPATHNAME = 3;  // ExeModuleInfo.FullPathName

typedef std::vector<DWORD> ProcessIdList;
typedef std::vector<ProcessInfo> ProcessInfoList;
typedef std::vector<ModuleInfo> ModuleInfoList;
typedef std::vector<HWND> WindowList;
typedef std::vector<THREADENTRY32> ThreadList;

// One process with the ids of its threads. Id and start time together name one process: a later
// process may get the same id, not the same start time.
struct ProcessThreads {
    DWORD ProcessId = 0;
    ULONGLONG StartTime = 0; // as a FILETIME counts
    std::vector<DWORD> ThreadIds;
};
typedef std::vector<ProcessThreads> ProcessThreadsList;

// Processes and their information.
void getProcessIds(ProcessIdList& ids);
// Every process with its threads, ascending by process id, from one question to the system: cheaper
// than a thread snapshot, which Wine reads out one entry at a time.
void getProcessThreads(ProcessThreadsList& processes);
// Every process of the system's process list, with its id and its image name (ExeModuleInfo.BaseName,
// as the list gives it) only. The list names each process without opening it, so no process is left
// out for lack of rights. Raises strell::exception when the list cannot be taken.
void getProcessList(ProcessInfoList& infos);
// The process handle needs query-information and virtual-memory-read access. Returns the number of modules.
size_t getModuleList(HANDLE process, ModuleInfoList& modules);
// Whether the process runs as this one does, natively or under WoW64 as the same machine: only then do
// its memory blocks have this build's layout. False when that cannot be told.
bool hasOwnBitness(HANDLE process);
// Raises strell::exception without reading anything when the process's bitness is not this one's.
std::string getProcessCommandLine(HANDLE process);
void getProcessInfo(DWORD processId, ProcessInfo& info);
// Processes that cannot be read are left out (reported on the verbose trace only).
void getProcessInfoList(const ProcessIdList& ids, ProcessInfoList& infos);
// Reads only each process's executable (ExeModuleInfo: its full path and base name, no module
// handle): all that a filter on FILTER_BASENAME or FILTER_FULLPATHNAME needs, at a cost that does not
// grow with the process's modules. Processes that cannot be read are left out.
void getProcessExeList(const ProcessIdList& ids, ProcessInfoList& infos);

// Filters. The pattern is a Perl regular expression searched anywhere in the examined text; with
// exact set the text must equal the pattern. in and out may be the same list.
std::string extractFilterString(filter_mode mode, const ProcessInfo& info);
void filterProcessInfo(const ProcessInfoList& in, ProcessInfoList& out, std::string pattern, filter_mode mode,
                       bool invert, bool exact);
void getProcessIdsFromInfo(const ProcessInfoList& infos, ProcessIdList& ids);
bool isProcessIdInList(const ProcessIdList& ids, DWORD processId);

// Termination with exit code 0. The calling process is always spared.
void killProcesses(const ProcessIdList& ids);
void killProcessesByCommandLine(std::string pattern, bool exact);

// Windows.
void getWindowList(WindowList& windows);
std::string getWindowText(HWND window);
void getThreadList(DWORD processId, ThreadList& threads);
void getProcessWindows(DWORD processId, WindowList& windows, bool clear, bool topLevelOnly);
void getThreadWindows(DWORD threadId, WindowList& windows, bool clear, bool topLevelOnly);
void filterWindowsByTitle(const WindowList& in, std::string pattern, bool invert, WindowList& out);
// Appends the distinct owner process ids of the windows in ascending order.
void getProcessIdsOfWindows(WindowList windows, bool topLevelOnly, ProcessIdList& ids);
void getProcessIdsByWindowTitle(std::string pattern, bool invert, ProcessIdList& ids);

// Diagnostic output.
std::ostream& operator<<(std::ostream& out, const ModuleInfo& info);
std::ostream& operator<<(std::ostream& out, const ProcessInfo& info);
std::ostream& operator<<(std::ostream& out, const ProcessInfoList& infos);

} // namespace strell

// A window list is a vector of HWND (a global type), so its output operator lives where
// argument-dependent lookup finds it.
std::ostream& operator<<(std::ostream& out, const strell::WindowList& windows);
