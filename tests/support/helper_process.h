#pragma once
// Starts procs_helper.exe (or a copy of it under another name) with a chosen command line and owns the
// running helper: the destructor asks it to quit and terminates it when it does not, so that neither a
// failing test nor a benchmark leaves a process behind. The helper also ends by itself when its
// starting process ends.

#include <windows.h>

#include <atomic>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace procstest {

struct HelperOptions {
    std::string program;               // the executable to start (procs_helper.exe or a copy)
    std::string commandLine;           // passed as it is; empty: the quoted program path
    std::wstring wideCommandLine;      // when set, started through CreateProcessW with this text
    std::vector<std::string> windows;  // titles of top-level windows to open
    std::string popup;                 // title of a popup owned by the first window
    std::string loadLibrary;           // library the helper loads
    std::string commandLineLengths;    // "<length>,<maximum>", see procs_helper.cpp
};

class HelperProcess {
public:
    explicit HelperProcess(const HelperOptions& options)
    {
        static std::atomic<int> counter{0};
        const std::string prefix = "strell_procs_" + std::to_string(GetCurrentProcessId()) + "_" +
                                   std::to_string(++counter);
        m_Ready = CreateEventA(nullptr, TRUE, FALSE, (prefix + "_ready").c_str());
        m_Quit = CreateEventA(nullptr, TRUE, FALSE, (prefix + "_quit").c_str());
        if (!m_Ready || !m_Quit)
            fail("CreateEvent failed");

        std::vector<std::string> variables = {
            "STRELL_HELPER_PARENT=" + std::to_string(GetCurrentProcessId()),
            "STRELL_HELPER_READY=" + prefix + "_ready",
            "STRELL_HELPER_QUIT=" + prefix + "_quit",
        };
        std::string titles;
        for (const std::string& title : options.windows)
            titles += (titles.empty() ? "" : "|") + title;
        if (!titles.empty())
            variables.push_back("STRELL_HELPER_WINDOWS=" + titles);
        if (!options.popup.empty())
            variables.push_back("STRELL_HELPER_POPUP=" + options.popup);
        if (!options.loadLibrary.empty())
            variables.push_back("STRELL_HELPER_LOAD=" + options.loadLibrary);
        if (!options.commandLineLengths.empty())
            variables.push_back("STRELL_HELPER_CMDLINE=" + options.commandLineLengths);
        std::string environment = environmentBlock(variables);

        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        BOOL created;
        if (!options.wideCommandLine.empty()) {
            const std::wstring program = widen(options.program);
            std::wstring commandLine = options.wideCommandLine;
            STARTUPINFOW startupW = {};
            startupW.cb = sizeof startupW;
            created = CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, &environment[0],
                                     nullptr, &startupW, &process);
        } else {
            std::string commandLine =
                options.commandLine.empty() ? "\"" + options.program + "\"" : options.commandLine;
            created = CreateProcessA(options.program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0,
                                     &environment[0], nullptr, &startup, &process);
        }
        if (!created)
            fail("CreateProcess failed for " + options.program + ", error " + std::to_string(GetLastError()));
        m_Process = process.hProcess;
        m_Id = process.dwProcessId;
        CloseHandle(process.hThread);

        HANDLE waits[2] = {m_Ready, m_Process};
        const DWORD result = WaitForMultipleObjects(2, waits, FALSE, 20000);
        if (result != WAIT_OBJECT_0) {
            DWORD code = 0;
            GetExitCodeProcess(m_Process, &code);
            fail("helper not ready (wait " + std::to_string(result) + ", exit code " + std::to_string(code) + ")");
        }
    }

    ~HelperProcess() { stop(); }
    HelperProcess(const HelperProcess&) = delete;
    HelperProcess& operator=(const HelperProcess&) = delete;

    DWORD id() const { return m_Id; }
    HANDLE handle() const { return m_Process; }

    // Whether the helper has ended within the time given.
    bool waitForExit(DWORD milliseconds) const { return WaitForSingleObject(m_Process, milliseconds) == WAIT_OBJECT_0; }
    DWORD exitCode() const
    {
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(m_Process, &code);
        return code;
    }

    // Asks the helper to quit (exit code 3), terminates it after a few seconds, and releases everything.
    void stop()
    {
        if (m_Process) {
            SetEvent(m_Quit);
            if (WaitForSingleObject(m_Process, 5000) != WAIT_OBJECT_0) {
                TerminateProcess(m_Process, 99);
                WaitForSingleObject(m_Process, 5000);
            }
            CloseHandle(m_Process);
            m_Process = nullptr;
        }
        if (m_Ready)
            CloseHandle(m_Ready);
        if (m_Quit)
            CloseHandle(m_Quit);
        m_Ready = m_Quit = nullptr;
    }

private:
    HANDLE m_Process = nullptr;
    HANDLE m_Ready = nullptr;
    HANDLE m_Quit = nullptr;
    DWORD m_Id = 0;

    [[noreturn]] void fail(const std::string& message)
    {
        stop();
        throw std::runtime_error(message);
    }

    // The caller's environment without earlier helper orders, followed by the given variables.
    static std::string environmentBlock(const std::vector<std::string>& variables)
    {
        std::string block;
        char* strings = GetEnvironmentStringsA();
        for (const char* entry = strings; entry && *entry; entry += strlen(entry) + 1) {
            if (strncmp(entry, "STRELL_HELPER_", 14) != 0)
                block.append(entry).push_back('\0');
        }
        FreeEnvironmentStringsA(strings);
        for (const std::string& variable : variables)
            block.append(variable).push_back('\0');
        block.push_back('\0');
        return block;
    }

    static std::wstring widen(const std::string& text)
    {
        std::wstring result(text.size(), L'\0');
        const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &result[0],
                                               static_cast<int>(result.size()));
        result.resize(length > 0 ? static_cast<size_t>(length) : 0);
        return result;
    }
};

} // namespace procstest
