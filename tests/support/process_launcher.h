#pragma once
// Starts the programs that tests, benchmarks and doubles run, and owns the started process. Kept apart
// from the rest of the test library (no GoogleTest) so that the doubles can link it too.

#include "strell_process_start.h"
#include "win32_handles.h"

#include <windows.h>

#include <string>
#include <vector>

namespace testsupport {

struct LaunchOptions {
    std::string application;             // the program file; empty: the first word of the command line
    std::vector<std::string> variables;  // "NAME=value", each replacing a variable of the same name (any case)
    std::string withoutPrefix;           // the caller's variables whose names start with it are not passed on
    std::string currentFolder;           // empty: the caller's
    HANDLE output = nullptr;             // an inheritable handle for standard output and error; null: the caller's
};

// A started process: ends on its own, the object only owns the handle.
class ChildProcess {
public:
    ChildProcess() = default;
    // Takes the process of a start; its thread's handle is closed at once.
    explicit ChildProcess(strell::StartedProcess started);

    explicit operator bool() const { return static_cast<bool>(m_Process); }
    HANDLE handle() const { return m_Process.get(); }
    DWORD id() const { return m_Id; }

    // Whether the process has ended within the time.
    bool wait(DWORD timeoutMs) const;
    // STILL_ACTIVE while it runs.
    DWORD exitCode() const;
    // Ends it at once and waits up to 5 s until it is gone.
    void terminate(UINT exitCode);

private:
    strell::unique_process m_Process;
    DWORD m_Id = 0;
};

// Throw std::runtime_error when the program cannot be started. The wide form passes the command line
// through unchanged (the environment stays narrow).
ChildProcess launch(const std::string& commandLine, const LaunchOptions& options = LaunchOptions());
ChildProcess launch(const std::wstring& commandLine, const LaunchOptions& options = LaunchOptions());

// The exit code of the program; -1 when it cannot be started, -2 when it still runs after the time
// (it is then ended with 99).
int runAndWait(const std::string& commandLine, DWORD timeoutMs);

} // namespace testsupport
