#pragma once
// Client of the framed message protocol (MessageFrame.h) over one TCP connection.
// CMessageClient connects on construction, sends one frame per blocking call and can run a receive
// thread that hands every frame to overridable hooks. strell::CMessageClientAsync adds an outgoing queue
// and a sender thread, so callers only queue bytes.

#include "DataMessage.h"
#include "MessageFrame.h"
#include "MessageQueue.h"
#include "Socket.h"
#include "strell_pthread.h"

#include <atomic>
#include <string>
#include <vector>

class CMessageClient {
public:
    // A reading failure after which the receive loop goes on.
    using CExceptionDontStopListening = strell::CExceptionDontStopListening;

    static constexpr int kHeaderSize = strell::kFrameHeaderSize;
    static constexpr int kMaxBodyLength = strell::kMaxFrameBody;
    // How long destruction waits for a thread at each step before the next, harder one.
    static constexpr DWORD kStopWait = 2000;
    static constexpr DWORD kCancelInterval = 20;

    // Connects to host (dotted address or name) and port; starts the receive thread if asked.
    CMessageClient(std::string host, int port, bool startReceiveThread);
    // Ends the receive thread (closes the socket, waits a bounded time, terminates only as the last
    // resort).
    virtual ~CMessageClient();
    CMessageClient(const CMessageClient&) = delete;
    CMessageClient& operator=(const CMessageClient&) = delete;

    // Called after each received frame with the whole frame (header and body); does nothing.
    virtual void onRawMessage(int context, const std::vector<char>& frame);
    // Called for each received frame with its body; prints "CMessageClient::onMessageReceived\n".
    virtual void onMessageReceived(int context, const char* body, int length);

    // Sends one frame; a body over 65535 bytes is refused.
    void Send(const void* bytes, int length);
    // Reads one frame (header and body) from the socket.
    static std::vector<char> ReadMessage(CSocket& socket);

    // The receive thread was started and has not ended.
    bool isReceiving() const { return !m_Receiver.isIdle(); }

protected:
    // Classes that override the hooks call this first in their destructor, so that no hook runs on a
    // half-destroyed object.
    void stopReceiving();
    // Ends a thread of this client that may be blocked on the socket: shuts the connection down, cancels
    // the blocked call until the thread ends (bounded), closes the socket, and terminates the thread only
    // when all that did not help. The receive loop then ends quietly.
    void endThreadOnSocket(CpworkitemBase& thread);

private:
    static void ReceiveThreadRoutine(CMessageClient** client);
    void receiveLoop();

    CSocket m_Socket;
    Cpworkitem<CMessageClient*> m_Receiver;
    std::atomic<bool> m_Closing{false};
};

namespace strell {

class CMessageClientAsync : public CMessageClient {
public:
    typedef CMessageQueueSync<CMessageQueue<CDataMessage, 128>, CDataMessage> COutgoingQueue;

    // Connects (without or with receive thread) and starts the sender thread.
    CMessageClientAsync(std::string host, int port, bool startReceiveThread);
    // Lets the sender pass on what is queued (bounded wait), then ends it; terminates only as the last
    // resort.
    ~CMessageClientAsync() override;

    // Queues a copy of the bytes and returns at once; a body over 65535 bytes is refused.
    void SendAsync(const void* bytes, int length);
    // The message sent once the queue has dropped messages; replaces the previous one.
    void SetOverflowMessage(const void* bytes, int length);
    // The queue's notification callback (context: the client).
    static bool onQueueNotification(int eventCode, void* argument, void* context);

    // Messages waiting in the outgoing queue.
    int queuedMessages() { return m_Queue.size(); }
    // The sender thread runs (it ends when a send fails).
    bool isSending() const { return !m_Sender.isIdle(); }
    // Queued to wake the sender thread; never sent.
    static const CDataMessage& wakeUpMarker();

private:
    static void MessageSenderThreadRoutine(CMessageClientAsync** client);
    void senderLoop();
    void sendPending();

    COutgoingQueue m_Queue;
    Cpworkitem<CMessageClientAsync*> m_Sender;
    bool m_Pending = false;
    CDataMessage m_PendingMessage;
    Cpcondition m_Lock;
    CDataMessage m_OverflowMessage;
    std::atomic<bool> m_Stopping{false};
};

} // namespace strell
