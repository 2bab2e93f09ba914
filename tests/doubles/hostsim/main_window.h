#pragma once
// The simulated host's main window and its watchdog. Windows judges a program by whether its
// interface thread still takes queued messages: the watchdog thread posts the window a message every
// 20 ms, stamped with the time of posting, and the window records the longest delay until one
// arrives, the longest time the host left unanswered. The window also runs script commands that are
// due later (see script.h, "later"), from within whatever message loop the thread is in then.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace hostsim {

class CMainWindow {
public:
    // Creates and shows the window; run executes one script command's words.
    explicit CMainWindow(std::function<void(const std::vector<std::string>&)> run);
    ~CMainWindow();
    CMainWindow(const CMainWindow&) = delete;
    CMainWindow& operator=(const CMainWindow&) = delete;

    HWND handle() const { return m_Window; }
    // Starts and stops the watchdog; starting clears the longest delay.
    void startWatchdog();
    void stopWatchdog();
    // The longest delay between a watchdog message's posting and its arrival, in ms.
    long longestUnanswered() const { return m_Longest; }
    // Takes the thread's waiting messages, as the host's loop does between two steps.
    void pump();
    // Runs the command's words after the delay.
    void later(DWORD delayMs, std::vector<std::string> words);

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static DWORD WINAPI watchdogMain(void* parameter);

    std::function<void(const std::vector<std::string>&)> m_Run;
    HWND m_Window = nullptr;
    HANDLE m_Watchdog = nullptr;
    HANDLE m_StopWatchdog = nullptr;
    long m_Longest = 0;
    UINT_PTR m_NextTimer = 1;
    std::vector<std::pair<UINT_PTR, std::vector<std::string>>> m_Later;
};

// Milliseconds of the performance counter, as the watchdog stamps its messages.
long long counterMs();

} // namespace hostsim
