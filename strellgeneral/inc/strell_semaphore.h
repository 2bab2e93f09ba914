#pragma once
// A counting semaphore (maximum count 2147483647). The count lives in user mode; the kernel semaphore
// is used only to put a waiter to sleep and to wake it, so releasing while nobody sleeps and waiting while
// the count is above 0 cost no kernel call.

#include "win32_handles.h"

#include <windows.h>

#include <atomic>

namespace strell {

class CSemaphore {
public:
    explicit CSemaphore(long initialCount);
    CSemaphore(const CSemaphore&) = delete;
    CSemaphore& operator=(const CSemaphore&) = delete;

    // Raises the count by one.
    void release();
    // Waits without a time limit until the count is above 0 and takes one.
    void wait();
    // As wait, for at most the given time; true when a count was taken.
    bool wait(DWORD milliseconds);
    void close();

private:
    // Above 0: counts to take; below 0: the number of sleeping waiters.
    std::atomic<long> m_Count;
    unique_handle_null m_Semaphore;
};

} // namespace strell
