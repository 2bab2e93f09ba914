#include "MessageClient.h"

#include "strell_exception.h"
#include "strell_trace.h"
#include "stringex.h"

#define STRELL_SOURCE "./src/MessageClient"

CMessageClient::CMessageClient(std::string host, int port, bool startReceiveThread)
    : m_Socket(true, AF_INET, SOCK_STREAM, IPPROTO_TCP), m_Receiver(&CMessageClient::ReceiveThreadRoutine)
{
    m_Socket.connect(host, port);
    if (startReceiveThread && m_Receiver.isIdle())
        m_Receiver.start(this);
}

CMessageClient::~CMessageClient()
{
    stopReceiving();
    try {
        m_Socket.close();
    } catch (...) {
        // The socket's destruction closes the handle regardless.
    }
}

void CMessageClient::stopReceiving()
{
    endThreadOnSocket(m_Receiver);
}

void CMessageClient::endThreadOnSocket(CpworkitemBase& thread)
{
    if (thread.isIdle() && thread.wait(0))
        return;
    m_Closing.store(true);
    m_Socket.shutdown();
    DWORD waited = 0;
    while (!thread.wait(kCancelInterval) && waited < kStopWait) {
        // Repeated: a cancel that comes before the thread blocks is lost.
        m_Socket.cancelBlockingCalls();
        waited += kCancelInterval;
    }
    if (!thread.wait(0)) {
        try {
            m_Socket.close();
        } catch (...) {
        }
    }
    thread.stop(kStopWait);
}

void CMessageClient::onRawMessage(int context, const std::vector<char>& frame)
{
}

void CMessageClient::onMessageReceived(int context, const char* body, int length)
{
    strell::trace("CMessageClient::onMessageReceived\n");
}

void CMessageClient::Send(const void* bytes, int length)
{
    const std::vector<char> frame = strell::encodeFrame(bytes, length);
    const int sent = m_Socket.send(frame.data(), static_cast<int>(frame.size()), 0);
    if (sent < static_cast<int>(frame.size()))
        STRELL_THROW("CMessageClient::Send", "CMessageClient::Send - send failed!");
}

std::vector<char> CMessageClient::ReadMessage(CSocket& socket)
{
    return strell::readFrame([&socket](char* buffer, int size) { return socket.recv(buffer, size, 0); });
}

void CMessageClient::ReceiveThreadRoutine(CMessageClient** client)
{
    (*client)->receiveLoop();
}

void CMessageClient::receiveLoop()
{
    const int context = 0;
    for (;;) {
        try {
            const std::vector<char> frame = ReadMessage(m_Socket);
            onMessageReceived(context, frame.data() + kHeaderSize, static_cast<int>(frame.size()) - kHeaderSize);
            onRawMessage(context, frame);
        } catch (const CExceptionDontStopListening& e) {
            if (m_Closing.load())
                return;
            strell::trace("CMessageClient::ERROR(dont stop): %s\n", e.c_str());
        } catch (const std::string& e) {
            // A failure caused by our own shutdown is no error.
            if (!m_Closing.load())
                strell::trace("CMessageClient::ERROR(stopped): %s\n", e.c_str());
            return;
        }
    }
}
