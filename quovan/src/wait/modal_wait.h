#pragma once
// Waiting for slow work without holding up the host: the work runs on a worker thread of the plug-in
// while the host's interface thread goes on taking its messages, as under a modal dialog. The host's
// top-level window is disabled meanwhile, so that its input waits, while painting, moving and resizing
// go on; after a second the wait window tells the user what happens and offers to cancel.
//
// Every call into the host stays on the interface thread: the work gets plain data and hands back
// plain data. A worker keeps the DLL loaded until it has returned, also when nobody waits for it any
// more, and DllCanUnloadNow answers S_FALSE meanwhile (through the module lock).

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>

struct WaitWorker;

enum class WaitEnd {
    Done,      // the work has returned
    Cancelled, // the user cancelled
    Abandoned, // the plug-in is closing (Terminate, release, the thread's WM_QUIT)
};

class CModalWait {
public:
    // Disables the host's window; stop is set when the user cancels or the plug-in closes, so that
    // the work can tell it has to end.
    explicit CModalWait(std::shared_ptr<std::atomic<bool>> stop);
    // Calls end.
    ~CModalWait();
    CModalWait(const CModalWait&) = delete;
    CModalWait& operator=(const CModalWait&) = delete;

    // Enables and activates the host's window again and closes the wait window (once).
    void end();

    // Runs the work on the wait's worker thread (one for all its parts) and takes the thread's messages until the work has returned,
    // the user cancelled or the plug-in closes. Once the wait ended otherwise than Done the work runs
    // on alone: what it captures must be its own (shared) data.
    WaitEnd run(std::function<void()> work);

private:
    std::shared_ptr<std::atomic<bool>> m_Stop;
    std::shared_ptr<WaitWorker> m_Worker; // started by the first run
    DWORD m_Begin;
    HWND m_Host = nullptr;
    bool m_HostWasEnabled = false;
    HWND m_WaitWindow = nullptr;
    bool m_WaitWindowShown = false; // or tried to
    std::atomic<bool> m_Cancelled{false};
    bool m_Abandoned = false;
    CModalWait* m_Outer;

    friend void abandonWaits();
};

// Whether the calling thread waits for an export (between the start and the end of a CModalWait).
bool isWaiting();
// Ends every wait of the calling thread at once (the plug-in is being closed).
void abandonWaits();
