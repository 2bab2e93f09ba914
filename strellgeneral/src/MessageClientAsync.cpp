#include "MessageClient.h"

#include "strell_exception.h"
#include "strell_trace.h"
#include "stringex.h"

#define STRELL_SOURCE "./src/MessageClientAsync"

namespace strell {

CMessageClientAsync::CMessageClientAsync(std::string host, int port, bool startReceiveThread)
    : CMessageClient(host, port, startReceiveThread),
      m_Queue(true, "CMessageClientAsync"),
      m_Sender(&CMessageClientAsync::MessageSenderThreadRoutine)
{
    m_Queue.SetNotificationCallback(&CMessageClientAsync::onQueueNotification, this);
    m_Sender.start(this);
}

CMessageClientAsync::~CMessageClientAsync()
{
    // The sender passes on what is queued before the marker and then ends. A sender blocked in a send
    // that the peer does not take is released by cutting the connection.
    m_Stopping.store(true);
    m_Queue.AddMessage(wakeUpMarker());
    if (!m_Sender.wait(kStopWait))
        endThreadOnSocket(m_Sender);
    m_Sender.stop(kStopWait);
}

const CDataMessage& CMessageClientAsync::wakeUpMarker()
{
    static const unsigned char bytes[4] = {0x01, 0x02, 0x03, 0x04};
    static const CDataMessage marker(bytes, sizeof bytes);
    return marker;
}

void CMessageClientAsync::SendAsync(const void* bytes, int length)
{
    if (length < 0 || length > kMaxBodyLength)
        STRELL_THROW("strell::CMessageClientAsync::SendAsync",
                     formatString("CMessageClientAsync::SendAsync - invalid body length %d (0 to %d bytes)!", length,
                                  kMaxBodyLength));
    m_Queue.AddMessage(CDataMessage(bytes, length));
}

void CMessageClientAsync::SetOverflowMessage(const void* bytes, int length)
{
    CLockingProxy<Cpcondition> lock(m_Lock, "CMessageClientAsync-SetOverflowMessage");
    m_OverflowMessage = CDataMessage(bytes, length);
}

bool CMessageClientAsync::onQueueNotification(int eventCode, void* argument, void* context)
{
    CMessageClientAsync* client = static_cast<CMessageClientAsync*>(context);
    if (!client || eventCode != QUEUE_EVENT_MESSAGE_DROPPED)
        return false;
    // Lock order: the client's lock before its queue's lock (SendAsync below).
    CLockingProxy<Cpcondition> lock(client->m_Lock, "CMessageClientAsync-onQueueNotification");
    if (client->m_OverflowMessage.isEmpty() || client->m_Pending)
        return false;
    client->m_PendingMessage = client->m_OverflowMessage;
    client->m_Pending = true;
    client->m_Queue.AddMessage(wakeUpMarker());
    return true;
}

void CMessageClientAsync::MessageSenderThreadRoutine(CMessageClientAsync** client)
{
    (*client)->senderLoop();
}

void CMessageClientAsync::senderLoop()
{
    try {
        for (;;) {
            CDataMessage message;
            if (m_Queue.GetMsg(message, true)) {
                if (!message.sameBytes(wakeUpMarker()))
                    Send(message.data(), message.length());
                sendPending();
            } else if (!m_Stopping.load()) {
                trace("MessageSenderThreadRoutine - GetMsg failed.\n");
            }
            if (m_Stopping.load() && m_Queue.IsEmpty())
                return;
        }
    } catch (const std::string& e) {
        // A send cut off by our own destruction is no error.
        if (!m_Stopping.load())
            trace("Exception %s\n", e.c_str());
    } catch (...) {
        trace("Exception Unkown\n");
    }
}

void CMessageClientAsync::sendPending()
{
    // The lock is not held across the send: a producer whose add overflows the queue takes it in
    // onQueueNotification and must never wait on the network. The flag stays set while the message is
    // on its way, so further overflows do not queue it again.
    CDataMessage pending;
    {
        CLockingProxy<Cpcondition> lock(m_Lock, "CMessageClientAsync-pending");
        if (!m_Pending)
            return;
        pending = m_PendingMessage;
    }
    Send(pending.data(), pending.length());
    CLockingProxy<Cpcondition> lock(m_Lock, "CMessageClientAsync-pending");
    m_Pending = false;
}

} // namespace strell
