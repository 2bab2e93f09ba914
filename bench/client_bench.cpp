// Records per second through the message client: handed to strell::CMessageClientAsync::SendAsync and
// delivered to a loopback sink, against a plain loop that sends the same frames with one blocking send
// each. The producer holds back while the queue is nearly full, so that every record handed over is
// delivered (a producer that outruns the link only fills the bounded queue, which drops the oldest);
// a second run without holding back shows how fast SendAsync returns and how much the queue drops.
//
// Goal: the asynchronous client delivers at least 80 % of the plain loop's rate.

#include "bench_clock.h"
#include "MessageClient.h"
#include "win32_handles.h"

#include <winsock2.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <thread>

namespace {

const int kRecords = benchCount(20000, 500);
const int kRounds = benchCount(5, 1);

// Accepts one connection at a time on 127.0.0.1 and counts the complete frames it receives.
class Sink {
public:
    Sink()
    {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        m_Listener.reset(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = inet_addr("127.0.0.1");
        ::bind(m_Listener.get(), reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(m_Listener.get(), 4);
        int length = sizeof address;
        getsockname(m_Listener.get(), reinterpret_cast<sockaddr*>(&address), &length);
        m_Port = ntohs(address.sin_port);
    }
    int port() const { return m_Port; }

    // Receives one connection until the peer closes; frames() and lastFrameTime() tell what arrived.
    void receiveOne()
    {
        m_Frames = 0;
        const strell::unique_socket s(::accept(m_Listener.get(), nullptr, nullptr));
        std::string pending;
        char buffer[65536];
        for (;;) {
            const int n = ::recv(s.get(), buffer, sizeof buffer, 0);
            if (n <= 0)
                break;
            pending.append(buffer, n);
            size_t offset = 0;
            while (pending.size() - offset >= 4) {
                const size_t length = static_cast<unsigned char>(pending[offset + 2]) |
                                      (static_cast<unsigned char>(pending[offset + 3]) << 8);
                if (pending.size() - offset < 4 + length)
                    break;
                offset += 4 + length;
                ++m_Frames;
                m_LastFrame = benchSeconds();
            }
            pending.erase(0, offset);
        }
    }
    int frames() const { return m_Frames; }
    double lastFrameTime() const { return m_LastFrame; }

private:
    strell::unique_socket m_Listener;
    int m_Port = 0;
    std::atomic<int> m_Frames{0};
    double m_LastFrame = 0;
};

std::string recordText(int i)
{
    return "type=INFO;text=client bench record " + std::to_string(i) +
           " with a text of ordinary length;facility={facility};sender=client_bench.exe;";
}

struct AsyncFigures {
    double delivered;  // records per second arriving at the sink
    double handed;     // SendAsync calls per second
    int dropped;
};

AsyncFigures runAsync(Sink& sink, bool holdBack)
{
    std::thread receiver([&] { sink.receiveOne(); });
    double start, handedEnd;
    {
        strell::CMessageClientAsync client("127.0.0.1", sink.port(), false);
        start = benchSeconds();
        for (int i = 0; i < kRecords; ++i) {
            const std::string text = recordText(i);
            if (holdBack && i % 32 == 0)
                while (client.queuedMessages() >= 96)
                    Sleep(1);
            client.SendAsync(text.c_str(), static_cast<int>(text.size()) + 1);
        }
        handedEnd = benchSeconds();
    } // destruction passes on what is still queued, then closes
    receiver.join();
    return AsyncFigures{sink.frames() / (sink.lastFrameTime() - start), kRecords / (handedEnd - start),
                        kRecords - sink.frames()};
}

double runPlain(Sink& sink)
{
    std::thread receiver([&] { sink.receiveOne(); });
    strell::unique_socket s(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = inet_addr("127.0.0.1");
    address.sin_port = htons(static_cast<u_short>(sink.port()));
    ::connect(s.get(), reinterpret_cast<sockaddr*>(&address), sizeof address);
    const double start = benchSeconds();
    for (int i = 0; i < kRecords; ++i) {
        const std::string text = recordText(i);
        const int length = static_cast<int>(text.size()) + 1;
        std::string frame = "ME";
        frame += static_cast<char>(length & 0xFF);
        frame += static_cast<char>(length >> 8);
        frame.append(text.c_str(), length);
        ::send(s.get(), frame.data(), static_cast<int>(frame.size()), 0);
    }
    s.reset(); // the sink counts until the peer closes
    receiver.join();
    return sink.frames() / (sink.lastFrameTime() - start);
}

} // namespace

int main()
{
    Sink sink;
    AsyncFigures best = {0, 0, 0}, flood = {0, 0, 0};
    double bestPlain = 0;
    for (int round = 0; round < kRounds; ++round) {
        const AsyncFigures async = runAsync(sink, true);
        if (async.delivered > best.delivered)
            best = async;
        const double plain = runPlain(sink);
        bestPlain = std::max(bestPlain, plain);
        std::printf("round %d: asynchronous %6.0f, plain %6.0f records/s\n", round + 1, async.delivered, plain);
    }
    flood = runAsync(sink, false);
    std::printf("records per round: %d\n", kRecords);
    std::printf("SendAsync, delivered to the sink:  %9.0f records/s (%d dropped)\n", best.delivered, best.dropped);
    std::printf("plain blocking send loop:          %9.0f records/s\n", bestPlain);
    std::printf("asynchronous / plain: %.1f %% (goal: at least 80 %%)\n", 100.0 * best.delivered / bestPlain);
    std::printf("flooding producer: SendAsync returns %.0f times/s; %d of %d records dropped by the queue\n",
                flood.handed, flood.dropped, kRecords);
    return 0;
}
