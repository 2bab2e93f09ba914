// The frame reports keep the message client's source and function, where the frames are read.
#define STRELL_SOURCE "./src/MessageClient"

#include "MessageFrame.h"

#include "strell_exception.h"
#include "stringex.h"

#include <cstring>

namespace strell {

std::vector<char> encodeFrame(const void* bytes, int length)
{
    if (length < 0 || length > kMaxFrameBody)
        STRELL_THROW("CMessageClient::Send",
                     formatString("CMessageClient::Send - invalid body length %d (0 to %d bytes)!", length,
                                  kMaxFrameBody));
    std::vector<char> frame(kFrameHeaderSize + length);
    frame[0] = 'M';
    frame[1] = 'E';
    frame[2] = static_cast<char>(length & 0xFF);
    frame[3] = static_cast<char>((length >> 8) & 0xFF);
    if (length > 0)
        std::memcpy(frame.data() + kFrameHeaderSize, bytes, length);
    return frame;
}

std::vector<char> readFrame(const FrameReceive& receive)
{
    unsigned char header[kFrameHeaderSize];
    const int ret = receive(reinterpret_cast<char*>(header), kFrameHeaderSize);
    if (ret == 0)
        STRELL_THROW("CMessageClient::ReadMessage", "CMessageClient::ReadMessage - Header: Socket closed!");
    if (ret != kFrameHeaderSize)
        throw CExceptionDontStopListening(errorReport(
            formatString("CMessageClient::ReadMessage - Header: Reading message header failed, ret %d", ret),
            STRELL_SOURCE, __LINE__, "CMessageClient::ReadMessage"));
    if (header[0] != 'M' || header[1] != 'E')
        throw CExceptionDontStopListening(errorReport(
            formatString("CMessageClient::ReadMessage - Header: Magic mismatch (%c%c, %02X,%02X)!", header[0],
                         header[1], header[0], header[1]),
            STRELL_SOURCE, __LINE__, "CMessageClient::ReadMessage"));
    // 16 bits: a frame never needs more than 65539 bytes.
    const int length = header[2] | (header[3] << 8);
    std::vector<char> frame(kFrameHeaderSize + length);
    std::memcpy(frame.data(), header, kFrameHeaderSize);
    int offset = 0;
    while (offset < length) {
        const int received = receive(frame.data() + kFrameHeaderSize + offset, length - offset);
        if (received == 0)
            STRELL_THROW("CMessageClient::ReadMessage", "CMessageClient::ReadMessage - Body: Socket closed!");
        offset += received;
        if (offset > length)
            STRELL_THROW("CMessageClient::ReadMessage",
                         formatString("CMessageClient::ReadMessage - offset(%d) > header.length(%d)", offset, length));
    }
    return frame;
}

} // namespace strell
