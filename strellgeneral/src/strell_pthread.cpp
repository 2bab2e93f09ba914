#include "strell_pthread.h"

#include "strell_exception.h"
#include "strell_trace.h"
#include "stringex.h"

#include <process.h>

#define STRELL_SOURCE "./src/strell_pthread"

Cpcondition::Cpcondition()
{
    createHandles();
}

Cpcondition::~Cpcondition()
{
    DeleteCriticalSection(&m_Mutex);
}

void Cpcondition::createHandles()
{
    if (!InitializeCriticalSectionAndSpinCount(&m_Mutex, 4000)) {
        const std::string text =
            strell::formatString("Cpcondition::Cpcondition() - CreateMutex failed, error(%d)", (int)GetLastError());
        strell::trace("%s", text.c_str());
        STRELL_THROW("Cpcondition::createHandles", text);
    }
    m_Semaphore.reset(CreateSemaphoreA(nullptr, 0, 100000, nullptr));
    if (!m_Semaphore) {
        const std::string text = strell::formatString(
            "Cpcondition::Cpcondition() - CreateSemaphore failed, error(%d)", (int)GetLastError());
        strell::trace("%s", text.c_str());
        DeleteCriticalSection(&m_Mutex);
        STRELL_THROW("Cpcondition::createHandles", text);
    }
}

void Cpcondition::lock()
{
    EnterCriticalSection(&m_Mutex);
}

void Cpcondition::unlock()
{
    LeaveCriticalSection(&m_Mutex);
}

CpworkitemBase::~CpworkitemBase()
{
    // The typed work item has stopped the thread already; a handle left here belongs to a thread
    // that ended.
    m_Thread.reset();
}

unsigned __stdcall CpworkitemBase::entry(void* self)
{
    CpworkitemBase* item = static_cast<CpworkitemBase*>(self);
    try {
        return item->threadMain();
    } catch (const std::string& e) {
        strell::trace("Exception %s\n", e.c_str());
    } catch (...) {
        strell::trace("Exception Unkown\n");
    }
    item->markIdle();
    return 1;
}

void CpworkitemBase::startThread()
{
    // A thread of an earlier start has returned from its routine; let it end before replacing it.
    if (m_Thread)
        stop(kStopTimeout);
    m_Idle.store(false);
    unsigned threadId = 0;
    const uintptr_t handle = _beginthreadex(nullptr, 0, &CpworkitemBase::entry, this, 0, &threadId);
    if (handle == 0) {
        const int error = errno;
        m_Idle.store(true);
        STRELL_THROW("Cpworkitem::start",
                     strell::formatString("Cpworkitem::start() - _beginthreadex failed, errno %d", error));
    }
    m_Thread.reset(reinterpret_cast<HANDLE>(handle));
    m_ThreadId = threadId;
}

bool CpworkitemBase::wait(DWORD milliseconds)
{
    if (!m_Thread)
        return true;
    return WaitForSingleObject(m_Thread.get(), milliseconds) == WAIT_OBJECT_0;
}

bool CpworkitemBase::stop(DWORD milliseconds)
{
    if (!m_Thread)
        return true;
    if (GetCurrentThreadId() == m_ThreadId) {
        // A routine that stops its own work item cannot wait for itself; the thread ends on return.
        m_Thread.reset();
        return false;
    }
    bool ended = wait(milliseconds);
    if (!ended) {
        strell::debugPrint("Cpworkitem - thread %lu did not end within %lu ms, terminating it\n",
                           m_ThreadId, milliseconds);
        TerminateThread(m_Thread.get(), 1);
        WaitForSingleObject(m_Thread.get(), INFINITE);
    }
    m_Thread.reset();
    m_ThreadId = 0;
    m_Idle.store(true);
    return ended;
}
