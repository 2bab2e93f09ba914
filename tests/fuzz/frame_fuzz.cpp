// The frame decoder of the message protocol. The first byte n says how many of the following bytes give
// the sizes in which the stream arrives (one receive call delivers at most that many bytes, cycling);
// the rest is the stream. Every accepted frame is the next bytes of the stream, starts with the magic,
// holds exactly the announced length (never above 65535) and encodes back to itself.
#include "MessageFrame.h"
#include "fuzz_check.h"
#include "strell_exception.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const size_t chunkCount = std::min<size_t>(data[0] & 15, size - 1);
    std::vector<int> chunks;
    for (size_t i = 0; i < chunkCount; ++i)
        chunks.push_back(data[1 + i] == 0 ? 65536 : data[1 + i]);
    if (chunks.empty())
        chunks.push_back(65536);
    const char* const stream = reinterpret_cast<const char*>(data) + 1 + chunkCount;
    const size_t streamSize = size - 1 - chunkCount;

    size_t position = 0;
    size_t calls = 0;
    const strell::FrameReceive receive = [&](char* buffer, int wanted) {
        FUZZ_CHECK(wanted > 0);
        const size_t count = std::min({static_cast<size_t>(wanted), static_cast<size_t>(chunks[calls++ % chunks.size()]),
                                       streamSize - position});
        std::memcpy(buffer, stream + position, count);
        position += count;
        return static_cast<int>(count);
    };

    for (;;) {
        const size_t start = position;
        std::vector<char> frame;
        try {
            frame = strell::readFrame(receive);
        } catch (const strell::CExceptionDontStopListening& e) {
            FUZZ_CHECK(e.find("Header: Reading message header failed") != std::string::npos ||
                       e.find("Header: Magic mismatch") != std::string::npos);
            FUZZ_CHECK(position > start);
            continue;
        } catch (const strell::exception& e) {
            FUZZ_CHECK(position == streamSize);
            break;
        }
        FUZZ_CHECK(frame.size() >= strell::kFrameHeaderSize && frame[0] == 'M' && frame[1] == 'E');
        const int length = static_cast<unsigned char>(frame[2]) | static_cast<unsigned char>(frame[3]) << 8;
        FUZZ_CHECK(length <= strell::kMaxFrameBody);
        FUZZ_CHECK(frame.size() == static_cast<size_t>(strell::kFrameHeaderSize + length));
        FUZZ_CHECK(position - start == frame.size());
        FUZZ_CHECK(std::memcmp(frame.data(), stream + start, frame.size()) == 0);
        FUZZ_CHECK(strell::encodeFrame(frame.data() + strell::kFrameHeaderSize, length) == frame);
    }

    // A body over the limit is refused before anything is built.
    try {
        strell::encodeFrame(stream, strell::kMaxFrameBody + 1);
        FUZZ_CHECK(false);
    } catch (const strell::exception&) {
    }
    return 0;
}
