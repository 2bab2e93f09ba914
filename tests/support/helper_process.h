#pragma once
// Starts procs_helper.exe (or a copy of it under another name) with a chosen command line and owns the
// running helper: the destructor asks it to quit and terminates it when it does not, so that neither a
// failing test nor a benchmark leaves a process behind. The helper also ends by itself when its
// starting process ends.

#include "process_launcher.h"

#include <windows.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <vector>

namespace procstest {

struct HelperOptions {
    std::string program;               // the executable to start (procs_helper.exe or a copy)
    std::string commandLine;           // passed as it is; empty: the quoted program path
    std::wstring wideCommandLine;      // when set, used instead of commandLine, unconverted
    std::vector<std::string> windows;  // titles of top-level windows to open
    std::string popup;                 // title of a popup owned by the first window
    std::string loadLibrary;           // library the helper loads
    std::string commandLineLengths;    // "<length>,<maximum>" or "unreadable", see procs_helper.cpp
};

class HelperProcess {
public:
    explicit HelperProcess(const HelperOptions& options)
    {
        static std::atomic<int> counter{0};
        const std::string prefix = "strell_procs_" + std::to_string(GetCurrentProcessId()) + "_" +
                                   std::to_string(++counter);
        m_Ready.reset(CreateEventA(nullptr, TRUE, FALSE, (prefix + "_ready").c_str()));
        m_Quit.reset(CreateEventA(nullptr, TRUE, FALSE, (prefix + "_quit").c_str()));
        if (!m_Ready || !m_Quit)
            fail("CreateEvent failed");

        // The caller's environment without earlier helper orders, followed by these.
        testsupport::LaunchOptions launch;
        launch.application = options.program;
        launch.withoutPrefix = "STRELL_HELPER_";
        launch.variables = {
            "STRELL_HELPER_PARENT=" + std::to_string(GetCurrentProcessId()),
            "STRELL_HELPER_READY=" + prefix + "_ready",
            "STRELL_HELPER_QUIT=" + prefix + "_quit",
        };
        std::string titles;
        for (const std::string& title : options.windows)
            titles += (titles.empty() ? "" : "|") + title;
        if (!titles.empty())
            launch.variables.push_back("STRELL_HELPER_WINDOWS=" + titles);
        if (!options.popup.empty())
            launch.variables.push_back("STRELL_HELPER_POPUP=" + options.popup);
        if (!options.loadLibrary.empty())
            launch.variables.push_back("STRELL_HELPER_LOAD=" + options.loadLibrary);
        if (!options.commandLineLengths.empty())
            launch.variables.push_back("STRELL_HELPER_CMDLINE=" + options.commandLineLengths);

        if (!options.wideCommandLine.empty())
            m_Process = testsupport::launch(options.wideCommandLine, launch);
        else
            m_Process = testsupport::launch(
                options.commandLine.empty() ? "\"" + options.program + "\"" : options.commandLine, launch);

        HANDLE waits[2] = {m_Ready.get(), m_Process.handle()};
        const DWORD result = WaitForMultipleObjects(2, waits, FALSE, 20000);
        if (result != WAIT_OBJECT_0)
            fail("helper not ready (wait " + std::to_string(result) + ", exit code " +
                 std::to_string(m_Process.exitCode()) + ")");
    }

    ~HelperProcess() { stop(); }
    HelperProcess(const HelperProcess&) = delete;
    HelperProcess& operator=(const HelperProcess&) = delete;

    DWORD id() const { return m_Process.id(); }
    HANDLE handle() const { return m_Process.handle(); }

    // Whether the helper has ended within the time given.
    bool waitForExit(DWORD milliseconds) const { return m_Process.wait(milliseconds); }
    DWORD exitCode() const { return m_Process.exitCode(); }

    // Asks the helper to quit (exit code 3), terminates it after a few seconds, and releases everything.
    void stop()
    {
        if (m_Process) {
            SetEvent(m_Quit.get());
            if (!m_Process.wait(5000))
                m_Process.terminate(99);
            m_Process = testsupport::ChildProcess();
        }
        m_Ready.reset();
        m_Quit.reset();
    }

private:
    testsupport::ChildProcess m_Process;
    strell::unique_handle_null m_Ready;
    strell::unique_handle_null m_Quit;

    [[noreturn]] void fail(const std::string& message)
    {
        stop();
        throw std::runtime_error(message);
    }
};

} // namespace procstest
