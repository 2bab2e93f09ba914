#pragma once
// Thread and lock primitives over Win32: the lock of every shared library object
// (Cpcondition) with its scoped lock (CLockingProxy), a lock that does nothing (strell::CDummyMutex),
// the lock/scoped-lock pair handed to templates (CThreadingPolicy) and one worker thread running a
// routine on a stored argument (Cpworkitem).

#include "win32_handles.h"

#include <windows.h>

#include <atomic>

// A recursive lock (the owning thread may lock it again and must unlock it as often) with a companion
// semaphore that is only created and closed. The lock is a critical section: uncontended it stays in
// user mode, where a kernel mutex costs a round trip to the kernel (under Wine, to the wineserver) per
// lock and per unlock.
class Cpcondition {
public:
    Cpcondition();
    virtual ~Cpcondition();
    Cpcondition(const Cpcondition&) = delete;
    Cpcondition& operator=(const Cpcondition&) = delete;

    void lock();
    void unlock();

private:
    void createHandles();

    CRITICAL_SECTION m_Mutex;
    strell::unique_handle_null m_Semaphore;
};

// Locks for the lifetime of the scope, also when an exception leaves it. The scope name only labels the
// place in the code; it is not kept.
template <class L = Cpcondition>
class CLockingProxy {
public:
    CLockingProxy(L& lock, const char* scopeName) : m_Lock(lock) { m_Lock.lock(); }
    ~CLockingProxy() { m_Lock.unlock(); }
    CLockingProxy(const CLockingProxy&) = delete;
    CLockingProxy& operator=(const CLockingProxy&) = delete;

private:
    L& m_Lock;
};

namespace strell {

// For objects that their owner locks from outside.
class CDummyMutex {
public:
    void lock() {}
    void unlock() {}
};

} // namespace strell

template <class Lock, class Proxy>
struct CThreadingPolicy {
    typedef Lock LockType;
    typedef Proxy ProxyType;
};

typedef CThreadingPolicy<Cpcondition, CLockingProxy<Cpcondition>> CSharedObjectThreading;
typedef CThreadingPolicy<strell::CDummyMutex, CLockingProxy<strell::CDummyMutex>> CUnlockedThreading;

// The thread handling of Cpworkitem that does not depend on the argument type.
class CpworkitemBase {
public:
    // How long destruction waits for a running routine before it terminates the thread.
    static constexpr DWORD kStopTimeout = 5000;

    CpworkitemBase() = default;
    virtual ~CpworkitemBase();
    CpworkitemBase(const CpworkitemBase&) = delete;
    CpworkitemBase& operator=(const CpworkitemBase&) = delete;

    // No thread started, or its routine has returned.
    bool isIdle() const { return m_Idle.load(); }
    // Waits up to the time for the thread to end; true when no thread runs any more.
    bool wait(DWORD milliseconds);
    // Ends the thread: waits up to the time for it to end by itself and terminates it only after that.
    // True when it ended by itself. The owner wakes the routine first (closes its socket, queues a
    // message); must not be called from the work item's own thread.
    bool stop(DWORD milliseconds);

protected:
    void startThread();
    void markIdle() { m_Idle.store(true); }
    virtual unsigned threadMain() = 0;

private:
    static unsigned __stdcall entry(void* self);

    strell::unique_handle_null m_Thread;
    DWORD m_ThreadId = 0;
    std::atomic<bool> m_Idle{true};
};

// One worker thread that runs a routine with a pointer to the stored argument (T is a pointer type).
template <class T>
class Cpworkitem : public CpworkitemBase {
public:
    typedef void (*Routine)(T* argument);

    explicit Cpworkitem(Routine routine) : m_Argument(), m_Routine(routine) {}
    // Waits a bounded time for a running routine, terminates the thread only as the last resort.
    ~Cpworkitem() override
    {
        stop(kStopTimeout);
        m_Argument = T();
    }

    // Starts the thread; only while idle.
    void start(T argument)
    {
        m_Argument = argument;
        startThread();
    }

protected:
    virtual void run(T* argument)
    {
        if (m_Routine)
            m_Routine(argument);
    }
    virtual unsigned threadBody(T* argument)
    {
        run(argument);
        markIdle();
        return 0;
    }

private:
    unsigned threadMain() override { return threadBody(&m_Argument); }

    T m_Argument;
    Routine m_Routine;
};
