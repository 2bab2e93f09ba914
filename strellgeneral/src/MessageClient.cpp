#include "MessageClient.h"

#include "strell_exception.h"
#include "strell_trace.h"
#include "stringex.h"

#include <cstring>

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
    if (length < 0 || length > kMaxBodyLength)
        STRELL_THROW("CMessageClient::Send",
                     strell::formatString("CMessageClient::Send - invalid body length %d (0 to %d bytes)!", length,
                                          kMaxBodyLength));
    std::vector<char> frame(kHeaderSize + length);
    frame[0] = 'M';
    frame[1] = 'E';
    frame[2] = static_cast<char>(length & 0xFF);
    frame[3] = static_cast<char>((length >> 8) & 0xFF);
    if (length > 0)
        std::memcpy(frame.data() + kHeaderSize, bytes, length);
    const int sent = m_Socket.send(frame.data(), static_cast<int>(frame.size()), 0);
    if (sent < static_cast<int>(frame.size()))
        STRELL_THROW("CMessageClient::Send", "CMessageClient::Send - send failed!");
}

std::vector<char> CMessageClient::ReadMessage(CSocket& socket)
{
    unsigned char header[kHeaderSize];
    const int ret = socket.recv(reinterpret_cast<char*>(header), kHeaderSize, 0);
    if (ret == 0)
        STRELL_THROW("CMessageClient::ReadMessage", "CMessageClient::ReadMessage - Header: Socket closed!");
    if (ret != kHeaderSize)
        throw CExceptionDontStopListening(strell::errorReport(
            strell::formatString("CMessageClient::ReadMessage - Header: Reading message header failed, ret %d", ret),
            STRELL_SOURCE, __LINE__, "CMessageClient::ReadMessage"));
    if (header[0] != 'M' || header[1] != 'E')
        throw CExceptionDontStopListening(strell::errorReport(
            strell::formatString("CMessageClient::ReadMessage - Header: Magic mismatch (%c%c, %02X,%02X)!", header[0],
                                 header[1], header[0], header[1]),
            STRELL_SOURCE, __LINE__, "CMessageClient::ReadMessage"));
    // 16 bits: a frame never needs more than 65539 bytes.
    const int length = header[2] | (header[3] << 8);
    std::vector<char> frame(kHeaderSize + length);
    std::memcpy(frame.data(), header, kHeaderSize);
    int offset = 0;
    while (offset < length) {
        const int received = socket.recv(frame.data() + kHeaderSize + offset, length - offset, 0);
        if (received == 0)
            STRELL_THROW("CMessageClient::ReadMessage", "CMessageClient::ReadMessage - Body: Socket closed!");
        offset += received;
        if (offset > length)
            STRELL_THROW("CMessageClient::ReadMessage",
                         strell::formatString("CMessageClient::ReadMessage - offset(%d) > header.length(%d)", offset,
                                              length));
    }
    return frame;
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
