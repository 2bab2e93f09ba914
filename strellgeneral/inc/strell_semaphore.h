#pragma once
// A counting semaphore (maximum count 2147483647).

#include "win32_handles.h"

#include <windows.h>

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
    unique_handle_null m_Semaphore;
};

} // namespace strell
