#include "wait/modal_wait.h"

#include "com/debug_out.h"
#include "com/plugin_module.h"
#include "wait/wait_window.h"
#include "stringex.h"
#include "win32_handles.h"

#include <utility>
#include <vector>

// The worker of a wait and what it shares with the waiting thread, which may stop waiting first. One
// thread serves every part of a wait: a thread start costs more than a short exchange.
struct WaitWorker {
    std::function<void()> work;
    strell::unique_handle_null ready; // auto-reset: work (or the end) was handed over
    strell::unique_handle_null done;  // manual-reset: the work handed over has returned
    std::atomic<bool> quit{false};
};

namespace {

// The wait window appears only for waits the user would notice.
const DWORD kWaitWindowDelayMs = 1000;

// The innermost wait of the thread; a host calling the plug-in from inside a wait may start no other,
// but Terminate and release reach it from there.
thread_local CModalWait* t_Wait = nullptr;

struct WorkerStart {
    std::shared_ptr<WaitWorker> worker;
    HMODULE self; // a reference of the plug-in's module, given back as the thread ends
};

DWORD WINAPI workerMain(void* parameter)
{
    HMODULE self = nullptr;
    {
        std::unique_ptr<WorkerStart> start(static_cast<WorkerStart*>(parameter));
        self = start->self;
        WaitWorker& worker = *start->worker;
        while (WaitForSingleObject(worker.ready.get(), INFINITE) == WAIT_OBJECT_0 && !worker.quit) {
            try {
                worker.work();
            } catch (...) {
                debugOut("background work ended with an unexpected error");
            }
            worker.work = nullptr;
            SetEvent(worker.done.get());
        }
    }
    plugin::unlockModule();
    FreeLibraryAndExitThread(self, 0);
}

// Starts a worker thread that holds the plug-in's module until it has returned.
std::shared_ptr<WaitWorker> startWorker()
{
    auto worker = std::make_shared<WaitWorker>();
    worker->ready.reset(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    worker->done.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!worker->ready || !worker->done)
        throw std::string("no event for the background work: ") + strell::getWin32ErrorText(GetLastError());
    auto start = std::make_unique<WorkerStart>();
    start->worker = worker;
    // The reference is taken here, before the thread exists, so that no unload slips in between.
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCSTR>(&workerMain),
                            &start->self))
        throw std::string("the plug-in's module cannot be held: ") + strell::getWin32ErrorText(GetLastError());
    plugin::lockModule();
    DWORD threadId = 0;
    strell::unique_handle_null thread(CreateThread(nullptr, 0, workerMain, start.get(), 0, &threadId));
    if (!thread) {
        const DWORD error = GetLastError();
        plugin::unlockModule();
        FreeLibrary(start->self);
        throw std::string("no thread for the background work: ") + strell::getWin32ErrorText(error);
    }
    start.release(); // the worker's now
    return worker;
}

BOOL CALLBACK collectThreadWindow(HWND window, LPARAM parameter)
{
    reinterpret_cast<std::vector<HWND>*>(parameter)->push_back(window);
    return TRUE;
}

// The host's top-level window: the active window of the thread, else its first visible window
// without owner.
HWND findHostWindow()
{
    const HWND active = GetActiveWindow();
    if (active)
        return GetAncestor(active, GA_ROOTOWNER);
    std::vector<HWND> windows;
    EnumThreadWindows(GetCurrentThreadId(), collectThreadWindow, reinterpret_cast<LPARAM>(&windows));
    for (HWND window : windows)
        if (IsWindowVisible(window) && !GetWindow(window, GW_OWNER))
            return window;
    return nullptr;
}

} // namespace

CModalWait::CModalWait(std::shared_ptr<std::atomic<bool>> stop)
    : m_Stop(std::move(stop)), m_Begin(GetTickCount()), m_Host(findHostWindow()), m_Outer(t_Wait)
{
    // Input to the host waits, as under a modal dialog; its window still paints and moves.
    if (m_Host)
        m_HostWasEnabled = EnableWindow(m_Host, FALSE) == FALSE;
    t_Wait = this;
}

CModalWait::~CModalWait()
{
    end();
    // The worker ends once it has returned from what it does now, if anything.
    if (m_Worker) {
        m_Worker->quit = true;
        SetEvent(m_Worker->ready.get());
    }
}

void CModalWait::end()
{
    if (t_Wait != this)
        return;
    t_Wait = m_Outer;
    // Enabled before the wait window goes, so that the activation returns to the host's window.
    if (m_Host && m_HostWasEnabled && IsWindow(m_Host))
        EnableWindow(m_Host, TRUE);
    if (m_WaitWindow) {
        destroyWaitWindow(m_WaitWindow);
        m_WaitWindow = nullptr;
        if (m_Host && IsWindow(m_Host))
            SetActiveWindow(m_Host);
    }
    m_Host = nullptr;
}

WaitEnd CModalWait::run(std::function<void()> work)
{
    if (m_Abandoned || t_Wait != this)
        return WaitEnd::Abandoned;
    if (m_Cancelled)
        return WaitEnd::Cancelled;

    if (!m_Worker)
        m_Worker = startWorker();
    ResetEvent(m_Worker->done.get());
    m_Worker->work = std::move(work);
    SetEvent(m_Worker->ready.get());

    const HANDLE done = m_Worker->done.get();
    for (;;) {
        if (m_Abandoned) {
            m_Stop->store(true);
            return WaitEnd::Abandoned;
        }
        if (m_Cancelled) {
            m_Stop->store(true);
            debugOut("export cancelled by the user");
            return WaitEnd::Cancelled;
        }
        const DWORD waited = GetTickCount() - m_Begin;
        const DWORD timeout = m_WaitWindowShown ? INFINITE : waited < kWaitWindowDelayMs ? kWaitWindowDelayMs - waited : 0;
        const DWORD woken = MsgWaitForMultipleObjectsEx(1, &done, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woken == WAIT_OBJECT_0)
            return WaitEnd::Done;
        // Due also when messages kept the thread awake all along.
        if (!m_WaitWindowShown && GetTickCount() - m_Begin >= kWaitWindowDelayMs) {
            m_WaitWindowShown = true;
            m_WaitWindow = createWaitWindow(m_Host, &m_Cancelled);
        }
        MSG message;
        while (!m_Abandoned && !m_Cancelled && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                // Left for the host's own loop, which ends on it.
                PostQuitMessage(static_cast<int>(message.wParam));
                m_Abandoned = true;
                break;
            }
            if (m_WaitWindow && IsDialogMessageA(m_WaitWindow, &message))
                continue;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (woken == WAIT_FAILED) {
            m_Stop->store(true);
            throw std::string("waiting for the background work failed: ") + strell::getWin32ErrorText(GetLastError());
        }
    }
}

bool isWaiting()
{
    return t_Wait != nullptr;
}

void abandonWaits()
{
    for (CModalWait* wait = t_Wait; wait; wait = wait->m_Outer) {
        wait->m_Abandoned = true;
        wait->m_Stop->store(true);
    }
}
