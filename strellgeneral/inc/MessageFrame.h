#pragma once
// Frames of the message protocol: the magic "ME" (0x4D 0x45), the body length as unsigned 16-bit
// little-endian, then the body (at most 65535 bytes).

#include <functional>
#include <string>
#include <vector>

namespace strell {

constexpr int kFrameHeaderSize = 4;
constexpr int kMaxFrameBody = 65535;

// A reading failure after which the receive loop goes on (the stream may still be in step).
class CExceptionDontStopListening : public std::string {
public:
    explicit CExceptionDontStopListening(const std::string& text) : std::string(text) {}
};

// recv semantics: fills at most size bytes, returns how many, 0 when the peer closed; raises on failure.
using FrameReceive = std::function<int(char* buffer, int size)>;

// The frame (header and body) of the body; a body over kMaxFrameBody bytes raises strell::exception.
std::vector<char> encodeFrame(const void* bytes, int length);

// Reads one frame (header and body). The header is one receive call: a short one or a wrong magic raises
// CExceptionDontStopListening; a closed peer raises strell::exception. The body may arrive in pieces.
std::vector<char> readFrame(const FrameReceive& receive);

} // namespace strell
