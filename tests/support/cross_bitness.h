#pragma once
// The cross-bitness cases: a 32-bit test beside 64-bit programs, as on 64-bit Windows. They run in the
// WoW64 lane only (the 32-bit programs in a 64-bit prefix) and skip elsewhere with kWow64Only.

#include "process_launcher.h"
#include "test_support.h"

#include <string>

namespace testsupport {

// Whether this process is a 32-bit one under WoW64.
bool runsUnderWow64();
extern const char kWow64Only[];

// The 64-bit desktop double of a 32-bit tree (tests/doubles), as a Windows path; empty elsewhere.
std::string desktopDouble64();

// A desktop double (or a copy of it under another name) started with the arguments; returns once its
// windows exist. Raises std::runtime_error when it ends at once or has no windows after 10 s.
class RunningDesktopDouble {
public:
    RunningDesktopDouble(const std::string& program, const std::string& arguments);
    ~RunningDesktopDouble();
    RunningDesktopDouble(const RunningDesktopDouble&) = delete;
    RunningDesktopDouble& operator=(const RunningDesktopDouble&) = delete;

    DWORD processId() const { return m_Process.id(); }
    // Whether the process still runs after waiting up to the given time for its end.
    bool runsAfter(DWORD waitMs) const;

private:
    TempDir m_Folder{"desk"};
    ChildProcess m_Process;
};

} // namespace testsupport
