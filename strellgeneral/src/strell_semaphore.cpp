#include "strell_semaphore.h"

#include "strell_exception.h"
#include "stringex.h"

#define STRELL_SOURCE "./src/strell_semaphore"

namespace strell {

CSemaphore::CSemaphore(long initialCount) : m_Semaphore(CreateSemaphoreA(nullptr, initialCount, 2147483647, nullptr))
{
    if (!m_Semaphore)
        throwAssertion("m_Semaphore!=0",
                       formatString("CSemaphore::CSemaphore() - CreateSemaphore failed, error %d", (int)GetLastError()),
                       STRELL_SOURCE, __LINE__, "strell::CSemaphore::CSemaphore");
}

void CSemaphore::release()
{
    const BOOL ret = ReleaseSemaphore(m_Semaphore.get(), 1, nullptr);
    STRELL_ASSERT(ret, "strell::CSemaphore::release",
                  formatString("CSemaphore::release() - ReleaseSemaphore failed, error %d", (int)GetLastError()));
}

void CSemaphore::wait()
{
    WaitForSingleObject(m_Semaphore.get(), INFINITE);
}

bool CSemaphore::wait(DWORD milliseconds)
{
    return WaitForSingleObject(m_Semaphore.get(), milliseconds) == WAIT_OBJECT_0;
}

void CSemaphore::close()
{
    m_Semaphore.reset();
}

} // namespace strell
