#pragma once
// Message queues between threads: the interface, a bounded unlocked FIFO that forgets its oldest message
// when full, and a wrapper that adds a lock and a counting semaphore for blocking gets.

#include "strell_pthread.h"
#include "strell_semaphore.h"
#include "strell_trace.h"

#include <deque>
#include <string>
#include <vector>

// Event codes given to a queue's notification callback.
enum {
    // The queue was full and dropped its oldest message; the argument points to the dropped message,
    // valid during the call. Raised after the queue's lock is let go, by the adding thread.
    QUEUE_EVENT_MESSAGE_DROPPED = 0
};

// (event code, argument, context given at registration)
typedef bool (*QueueNotificationCallback)(int eventCode, void* argument, void* context);

template <class T>
class IMessageQueue {
public:
    virtual void SetNotificationCallback(QueueNotificationCallback callback, void* context) = 0;
    virtual void AddMessage(const T& message) = 0;
    virtual bool GetMsg(T& message) = 0;
    virtual void Clear() = 0;
    virtual bool IsEmpty() = 0;
    virtual void SetContext(std::string text) = 0;
    virtual std::string GetContext() = 0;

protected:
    // Queues are destroyed through their own type, never through the interface.
    ~IMessageQueue() = default;
};

template <class T>
class CMessageQueueBase : public IMessageQueue<T> {
public:
    void SetNotificationCallback(QueueNotificationCallback callback, void* context) override
    {
        m_Callback = callback;
        m_CallbackContext = context;
    }
    void SetContext(std::string text) override { m_Context = text; }
    std::string GetContext() override { return m_Context; }
    virtual ~CMessageQueueBase() = default;

protected:
    bool notify(int eventCode, void* argument)
    {
        return m_Callback ? m_Callback(eventCode, argument, m_CallbackContext) : false;
    }

    QueueNotificationCallback m_Callback = nullptr;
    void* m_CallbackContext = nullptr;
    std::string m_Context;
};

namespace strell {
class CDataMessage;
}

namespace messagequeue_detail {
template <class T>
struct TypeName {
    static const char* text() { return "T"; }
};
template <>
struct TypeName<strell::CDataMessage> {
    static const char* text() { return "class strell::CDataMessage"; }
};
void throwBlockingQueue(const char* typeName, int capacity);
} // namespace messagequeue_detail

// At most N messages, first in first out, no locking: for one thread at a time.
template <class T, int N>
class CMessageQueue : public CMessageQueueBase<T> {
public:
    static constexpr int kCapacity = N;

    explicit CMessageQueue(bool blocking = false)
    {
        if (blocking)
            messagequeue_detail::throwBlockingQueue(messagequeue_detail::TypeName<T>::text(), N);
    }
    ~CMessageQueue() override = default;

    // A full queue drops its oldest message and raises QUEUE_EVENT_MESSAGE_DROPPED.
    void AddMessage(const T& message) override
    {
        T dropped;
        if (addMessage(message, &dropped))
            this->notify(QUEUE_EVENT_MESSAGE_DROPPED, &dropped);
    }
    // As AddMessage, but hands the dropped message to the caller instead of raising the event;
    // true when one was dropped.
    bool addMessage(const T& message, T* dropped)
    {
        bool full = static_cast<int>(m_Messages.size()) >= N;
        if (full) {
            if (dropped)
                *dropped = m_Messages.front();
            m_Messages.pop_front();
        }
        m_Messages.push_back(message);
        return full;
    }
    bool GetMsg(T& message) override
    {
        if (m_Messages.empty())
            return false;
        message = m_Messages.front();
        m_Messages.pop_front();
        return true;
    }
    void Clear() override { m_Messages.clear(); }
    bool IsEmpty() override { return m_Messages.empty(); }
    int size() const { return static_cast<int>(m_Messages.size()); }

private:
    std::deque<T> m_Messages;
};

// Wraps a queue Q of T with a lock and a semaphore that counts added messages, so that gets can block
// until a message arrives. A dropped message is reported to the notification callback after the lock
// is let go, so the callback may take its own locks and add messages.
template <class Q, class T>
class CMessageQueueSync : public IMessageQueue<T> {
public:
    CMessageQueueSync(bool blocking, std::string name) : m_Blocking(blocking), m_Queue(false), m_Semaphore(0) {}
    virtual ~CMessageQueueSync() = default;

    void SetNotificationCallback(QueueNotificationCallback callback, void* context) override
    {
        CLockingProxy<Cpcondition> lock(m_Lock, "CMessageQueueSync-SetNotificationCallback");
        m_Callback = callback;
        m_CallbackContext = context;
    }
    void AddMessage(const T& message) override
    {
        T dropped;
        bool wasFull;
        QueueNotificationCallback callback;
        void* context;
        {
            CLockingProxy<Cpcondition> lock(m_Lock, "CMessageQueueSync-AddMessage");
            wasFull = m_Queue.addMessage(message, &dropped);
            callback = m_Callback;
            context = m_CallbackContext;
        }
        m_Semaphore.release();
        if (wasFull && callback)
            callback(QUEUE_EVENT_MESSAGE_DROPPED, &dropped, context);
    }
    bool GetMsg(T& message) override { return GetMsg(message, m_Blocking); }
    void Clear() override
    {
        CLockingProxy<Cpcondition> lock(m_Lock, "CMessageQueueSync-Clear");
        m_Queue.Clear();
    }
    bool IsEmpty() override
    {
        CLockingProxy<Cpcondition> lock(m_Lock, "CMessageQueueSync-IsEmpty");
        return m_Queue.IsEmpty();
    }
    void SetContext(std::string text) override
    {
        CLockingProxy<Cpcondition> lock(m_Lock, "CMessageQueueSync-SetContext");
        m_Queue.SetContext(text);
    }
    std::string GetContext() override
    {
        CLockingProxy<Cpcondition> lock(m_Lock, "CMessageQueueSync-GetContext");
        return m_Queue.GetContext();
    }

    // A blocking get first waits without a time limit for the semaphore; a non-blocking get never waits
    // and takes no count. False when no message was there.
    virtual bool GetMsg(T& message, bool blocking)
    {
        if (blocking)
            m_Semaphore.wait();
        return take(message, blocking);
    }
    // A blocking get that waits at most the given time for the semaphore.
    bool GetMsgFor(T& message, DWORD milliseconds)
    {
        if (!m_Semaphore.wait(milliseconds))
            return false;
        return take(message, true);
    }

    int size()
    {
        CLockingProxy<Cpcondition> lock(m_Lock, "CMessageQueueSync-size");
        return m_Queue.size();
    }

private:
    bool take(T& message, bool blocking)
    {
        CLockingProxy<Cpcondition> lock(m_Lock, "CMessageQueueSync-GetMsg");
        if (m_Queue.IsEmpty())
            return false;
        const bool taken = m_Queue.GetMsg(message);
        if (blocking && !taken)
            strell::trace("-----> GetMsg returned without a message, although its blocking mode.\n");
        return taken;
    }

    bool m_Blocking;
    Q m_Queue;
    Cpcondition m_Lock;
    strell::CSemaphore m_Semaphore;
    QueueNotificationCallback m_Callback = nullptr;
    void* m_CallbackContext = nullptr;
};
