#include "MessageClient.h"
#include "log_server.h"
#include "strell_exception.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <thread>

using testsupport::LogServer;

namespace {

std::string frame(const std::string& body)
{
    std::string f = "ME";
    f += static_cast<char>(body.size() & 0xFF);
    f += static_cast<char>((body.size() >> 8) & 0xFF);
    return f + body;
}

// Collects what the receive thread hands to the hooks.
class Collector : public CMessageClient {
public:
    Collector(int port) : CMessageClient("127.0.0.1", port, true) {}
    ~Collector() override { stopReceiving(); }

    void onMessageReceived(int context, const char* body, int length) override
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_Bodies.emplace_back(body, length);
        m_Contexts.push_back(context);
    }
    void onRawMessage(int context, const std::vector<char>& frame) override
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_Frames.emplace_back(frame.begin(), frame.end());
    }
    std::vector<std::string> bodies()
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        return m_Bodies;
    }
    std::vector<std::string> frames()
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        return m_Frames;
    }
    bool waitForBodies(size_t count)
    {
        for (int i = 0; i < 500; ++i) {
            if (bodies().size() >= count)
                return true;
            Sleep(10);
        }
        return false;
    }
    bool waitUntilStopped()
    {
        for (int i = 0; i < 500 && isReceiving(); ++i)
            Sleep(10);
        return !isReceiving();
    }
    std::vector<int> m_Contexts;

private:
    std::mutex m_Mutex;
    std::vector<std::string> m_Bodies;
    std::vector<std::string> m_Frames;
};

std::string readerError(const std::string& kind, const std::string& message)
{
    return "CMessageClient::ERROR(" + kind + "): " + message + " [\"./src/MessageClient:";
}

} // namespace

TEST(CMessageClient, FrameBytesOnTheWire)
{
    LogServer server;
    CMessageClient client("127.0.0.1", server.port(), false);
    client.Send("abcd", 5); // with its NUL
    ASSERT_TRUE(server.waitForBytes(9, 5000));
    EXPECT_EQ(server.rawBytes(), std::string("\x4D\x45\x05\x00\x61\x62\x63\x64\x00", 9));

    // The largest body and an empty one travel whole.
    const std::string largest(65535, 'L');
    client.Send(largest.data(), 65535);
    client.Send("", 0);
    ASSERT_TRUE(server.waitForBodies(3, 5000));
    const auto bodies = server.bodies();
    EXPECT_EQ(bodies[1], largest);
    EXPECT_EQ(bodies[2], "");
    EXPECT_EQ(server.malformedFrames(), 0);
}

TEST(CMessageClient, OversizeBodyIsRefusedAndNothingIsSent)
{
    LogServer server;
    CMessageClient client("127.0.0.1", server.port(), false);
    const std::string tooLong(65536, 'x');
    try {
        client.Send(tooLong.data(), 65536);
        FAIL() << "a body over 65535 bytes was accepted";
    } catch (const strell::exception& e) {
        EXPECT_EQ(e.text().rfind("CMessageClient::Send - invalid body length 65536 (0 to 65535 bytes)! "
                                 "[\"./src/MessageClient:",
                                 0),
                  0u)
            << e.text();
    }
    EXPECT_THROW(client.Send("x", -1), strell::exception);
    client.Send("ok", 2);
    ASSERT_TRUE(server.waitForBodies(1, 5000));
    EXPECT_EQ(server.rawBytes(), frame("ok")) << "no truncated frame before the valid one";
}

TEST(CMessageClient, ConnectFailuresComeFromTheSocket)
{
    const int port = testsupport::unusedPort();
    try {
        CMessageClient client("127.0.0.1", port, true);
        FAIL();
    } catch (const std::string& e) {
        EXPECT_EQ(e, "CSocket::connect(127.0.0.1:" + std::to_string(port) + ") - failed: 10061!");
    }
    EXPECT_THROW(CMessageClient("no-such-host.invalid", port, false), strell::exception);
}

TEST(CMessageClient, ReceivesFramesInSeveralSegmentsAndEmptyBodies)
{
    LogServer server;
    Collector client(server.port());
    ASSERT_TRUE(server.waitForConnections(1, 5000));
    const std::string body(3000, 'b');
    server.sendToClients(frame(body), 700, 20);
    server.sendToClients(frame("") + frame("after"));
    ASSERT_TRUE(client.waitForBodies(3));
    const auto bodies = client.bodies();
    EXPECT_EQ(bodies[0], body);
    EXPECT_EQ(bodies[1], "") << "an empty body is a frame, not a closed socket";
    EXPECT_EQ(bodies[2], "after");
    EXPECT_EQ(client.frames()[2], frame("after"));
    EXPECT_EQ(client.m_Contexts, (std::vector<int>{0, 0, 0}));
    EXPECT_TRUE(client.isReceiving());
}

TEST(CMessageClient, MagicMismatchAndShortHeaderKeepListening)
{
    LogServer server;
    testsupport::StdoutCapture out;
    {
        Collector client(server.port());
        ASSERT_TRUE(server.waitForConnections(1, 5000));
        server.sendToClients(std::string("XY\x01\x00", 4));
        server.sendToClients(frame("one"));
        ASSERT_TRUE(client.waitForBodies(1));
        server.sendToClients("ME");
        Sleep(200);
        server.sendToClients(frame("two"));
        ASSERT_TRUE(client.waitForBodies(2));
        EXPECT_EQ(client.bodies(), (std::vector<std::string>{"one", "two"}));
        EXPECT_TRUE(client.isReceiving());
    }
    const std::string text = out.text();
    EXPECT_NE(text.find(readerError("dont stop", "CMessageClient::ReadMessage - Header: Magic mismatch (XY, 58,59)!")),
              std::string::npos)
        << text;
    EXPECT_NE(text.find(readerError("dont stop",
                                    "CMessageClient::ReadMessage - Header: Reading message header failed, ret 2")),
              std::string::npos)
        << text;
    EXPECT_EQ(text.find("ERROR(stopped)"), std::string::npos) << "destruction is no error: " << text;
}

TEST(CMessageClient, PeerClosingStopsTheReader)
{
    LogServer server;
    testsupport::StdoutCapture out;
    Collector client(server.port());
    ASSERT_TRUE(server.waitForConnections(1, 5000));
    server.closeClients();
    EXPECT_TRUE(client.waitUntilStopped());
    EXPECT_NE(out.text().find(readerError("stopped", "CMessageClient::ReadMessage - Header: Socket closed!")),
              std::string::npos)
        << out.text();
}

TEST(CMessageClient, HugeLengthThenCloseStopsWithoutReadingPastTheFrame)
{
    LogServer server;
    testsupport::StdoutCapture out;
    Collector client(server.port());
    ASSERT_TRUE(server.waitForConnections(1, 5000));
    server.sendToClients(std::string("ME\xFF\xFF", 4) + "only ten b");
    Sleep(100);
    server.closeClients();
    EXPECT_TRUE(client.waitUntilStopped());
    EXPECT_TRUE(client.bodies().empty());
    EXPECT_NE(out.text().find(readerError("stopped", "CMessageClient::ReadMessage - Body: Socket closed!")),
              std::string::npos)
        << out.text();
}

TEST(CMessageClient, GarbageStreamIsReportedWithoutStoppingOrCrashing)
{
    LogServer server;
    testsupport::StdoutCapture out;
    Collector client(server.port());
    ASSERT_TRUE(server.waitForConnections(1, 5000));
    // 4000 headers of garbage (never "ME"), then a valid frame: the reader resynchronises only by luck of
    // the 4-byte grid, which this stream keeps.
    std::string garbage;
    for (int i = 0; i < 4000; ++i)
        garbage += std::string("\x00\xFFZZ", 4);
    server.sendToClients(garbage, 1500, 1);
    server.sendToClients(frame("valid"));
    ASSERT_TRUE(client.waitForBodies(1));
    EXPECT_EQ(client.bodies()[0], "valid");
    EXPECT_TRUE(client.isReceiving());
    const std::string text = out.text();
    size_t count = 0;
    for (size_t at = text.find("Magic mismatch"); at != std::string::npos; at = text.find("Magic mismatch", at + 1))
        ++count;
    EXPECT_EQ(count, 4000u);
}

TEST(CMessageClient, DestructionEndsABlockedReaderWithoutTerminating)
{
    LogServer server;
    testsupport::DebugOutputCapture debug;
    const auto start = std::chrono::steady_clock::now();
    {
        Collector client(server.port());
        ASSERT_TRUE(server.waitForConnections(1, 5000));
        Sleep(50); // the reader now blocks in recv
    }
    EXPECT_EQ(debug.joined().find("terminating"), std::string::npos) << debug.joined();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(CMessageClient::kStopWait));
}
