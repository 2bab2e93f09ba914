#include "main_window.h"

#include <algorithm>

namespace hostsim {

namespace {

const char* const kClassName = "GeohostSimMainWindow";
const UINT kWatchdogMessage = WM_APP + 1;
const DWORD kWatchdogPeriodMs = 20;

} // namespace

long long counterMs()
{
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return now.QuadPart * 1000 / frequency.QuadPart;
}

CMainWindow::CMainWindow(std::function<void(const std::vector<std::string>&)> run) : m_Run(std::move(run))
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kClassName;
    RegisterClassA(&windowClass);
    m_Window = CreateWindowExA(0, kClassName, "Kartenprogramm (Simulator)", WS_OVERLAPPEDWINDOW, 40, 40, 800,
                               560, nullptr, nullptr, GetModuleHandleA(nullptr), this);
    if (m_Window) {
        ShowWindow(m_Window, SW_SHOW);
        UpdateWindow(m_Window);
    }
    m_StopWatchdog = CreateEventA(nullptr, TRUE, FALSE, nullptr);
}

CMainWindow::~CMainWindow()
{
    stopWatchdog();
    if (m_StopWatchdog)
        CloseHandle(m_StopWatchdog);
    if (m_Window)
        DestroyWindow(m_Window);
}

void CMainWindow::startWatchdog()
{
    if (m_Watchdog || !m_Window || !m_StopWatchdog)
        return;
    m_Longest = 0;
    ResetEvent(m_StopWatchdog);
    m_Watchdog = CreateThread(nullptr, 0, watchdogMain, this, 0, nullptr);
}

void CMainWindow::stopWatchdog()
{
    if (!m_Watchdog)
        return;
    SetEvent(m_StopWatchdog);
    WaitForSingleObject(m_Watchdog, INFINITE);
    CloseHandle(m_Watchdog);
    m_Watchdog = nullptr;
    pump();
}

void CMainWindow::pump()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void CMainWindow::later(DWORD delayMs, std::vector<std::string> words)
{
    const UINT_PTR id = m_NextTimer++;
    m_Later.emplace_back(id, std::move(words));
    SetTimer(m_Window, id, delayMs, nullptr);
}

DWORD WINAPI CMainWindow::watchdogMain(void* parameter)
{
    auto* self = static_cast<CMainWindow*>(parameter);
    while (WaitForSingleObject(self->m_StopWatchdog, kWatchdogPeriodMs) == WAIT_TIMEOUT) {
        // The stamp travels in both parameters, so that it does not wrap within a run.
        const long long stamp = counterMs();
        PostMessageA(self->m_Window, kWatchdogMessage, static_cast<WPARAM>(stamp >> 32),
                     static_cast<LPARAM>(stamp & 0xFFFFFFFF));
    }
    return 0;
}

LRESULT CALLBACK CMainWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE)
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
    auto* self = reinterpret_cast<CMainWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self && message == kWatchdogMessage) {
        const long long stamp = (static_cast<long long>(wParam) << 32) | static_cast<unsigned long>(lParam);
        self->m_Longest = std::max(self->m_Longest, static_cast<long>(counterMs() - stamp));
        return 0;
    }
    if (self && message == WM_TIMER) {
        KillTimer(window, wParam);
        const auto due = std::find_if(self->m_Later.begin(), self->m_Later.end(),
                                      [&](const std::pair<UINT_PTR, std::vector<std::string>>& each) {
                                          return each.first == wParam;
                                      });
        if (due != self->m_Later.end()) {
            const std::vector<std::string> words = due->second;
            self->m_Later.erase(due);
            self->m_Run(words);
        }
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace hostsim
