#include "strell_semaphore.h"

#include "strell_exception.h"
#include "stringex.h"

#define STRELL_SOURCE "./src/strell_semaphore"

namespace strell {

namespace {
const long kMaximumCount = 2147483647;
}

CSemaphore::CSemaphore(long initialCount) : m_Count(initialCount)
{
    // The kernel semaphore holds only wake-ups; a negative initial count fails as it would there.
    if (initialCount >= 0)
        m_Semaphore.reset(CreateSemaphoreA(nullptr, 0, kMaximumCount, nullptr));
    else
        SetLastError(ERROR_INVALID_PARAMETER);
    if (!m_Semaphore)
        throwAssertion("m_Semaphore!=0",
                       formatString("CSemaphore::CSemaphore() - CreateSemaphore failed, error %d", (int)GetLastError()),
                       STRELL_SOURCE, __LINE__, "strell::CSemaphore::CSemaphore");
}

void CSemaphore::release()
{
    long count = m_Count.load();
    BOOL ret = TRUE;
    do {
        if (count == kMaximumCount) {
            ret = FALSE;
            SetLastError(ERROR_TOO_MANY_POSTS);
            break;
        }
    } while (!m_Count.compare_exchange_weak(count, count + 1));
    if (ret && count < 0)
        ret = ReleaseSemaphore(m_Semaphore.get(), 1, nullptr); // wakes one sleeping waiter
    STRELL_ASSERT(ret, "strell::CSemaphore::release",
                  formatString("CSemaphore::release() - ReleaseSemaphore failed, error %d", (int)GetLastError()));
}

void CSemaphore::wait()
{
    if (m_Count.fetch_sub(1) <= 0)
        WaitForSingleObject(m_Semaphore.get(), INFINITE);
}

bool CSemaphore::wait(DWORD milliseconds)
{
    if (m_Count.fetch_sub(1) > 0)
        return true;
    if (WaitForSingleObject(m_Semaphore.get(), milliseconds) == WAIT_OBJECT_0)
        return true;
    // Timed out: withdraw as a waiter, unless a release has already counted on us and woken the kernel
    // semaphore for us, in which case that wake-up is ours.
    long count = m_Count.load();
    while (count < 0)
        if (m_Count.compare_exchange_weak(count, count + 1))
            return false;
    WaitForSingleObject(m_Semaphore.get(), INFINITE);
    return true;
}

void CSemaphore::close()
{
    m_Semaphore.reset();
}

} // namespace strell
