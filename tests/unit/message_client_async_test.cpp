#include "MessageClient.h"
#include "log_server.h"
#include "strell_exception.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>

using strell::CMessageClientAsync;
using testsupport::LogServer;

namespace {
std::string record(int i)
{
    return "type=INFO;text=line " + std::to_string(i) + ";facility=f;sender=s;";
}
void sendRecord(CMessageClientAsync& client, const std::string& text)
{
    client.SendAsync(text.c_str(), static_cast<int>(text.size()) + 1);
}
std::string withNul(const std::string& text)
{
    return text + std::string(1, '\0');
}
} // namespace

TEST(CMessageClientAsync, DeliversInOrderAndSkipsTheMarker)
{
    LogServer server;
    CMessageClientAsync client("127.0.0.1", server.port(), false);
    for (int i = 0; i < 50; ++i) {
        sendRecord(client, record(i));
        if (i == 10)
            client.SendAsync("\x01\x02\x03\x04", 4);
    }
    client.SendAsync("\x01\x02\x03", 3); // only the exact marker is skipped
    ASSERT_TRUE(server.waitForBodies(51, 5000));
    const auto bodies = server.bodies();
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(bodies[i], withNul(record(i)));
    EXPECT_EQ(bodies[50], "\x01\x02\x03");
    EXPECT_EQ(server.malformedFrames(), 0);
    EXPECT_TRUE(client.isSending());
}

TEST(CMessageClientAsync, DestructionPassesOnWhatIsQueued)
{
    LogServer server;
    {
        CMessageClientAsync client("127.0.0.1", server.port(), false);
        for (int i = 0; i < 120; ++i)
            sendRecord(client, record(i));
    }
    ASSERT_TRUE(server.waitForBodies(120, 5000));
    const auto bodies = server.bodies();
    EXPECT_EQ(bodies.front(), withNul(record(0)));
    EXPECT_EQ(bodies.back(), withNul(record(119)));
}

TEST(CMessageClientAsync, OversizeIsRefusedAtTheCallerAndTheLinkGoesOn)
{
    LogServer server;
    CMessageClientAsync client("127.0.0.1", server.port(), false);
    const std::string tooLong(70000, 'x');
    EXPECT_THROW(client.SendAsync(tooLong.data(), static_cast<int>(tooLong.size())), strell::exception);
    sendRecord(client, "still here");
    ASSERT_TRUE(server.waitForBodies(1, 5000));
    EXPECT_EQ(server.bodies()[0], withNul("still here"));
    EXPECT_TRUE(client.isSending());
}

TEST(CMessageClientAsync, OverflowMessageReachesTheServerAfterDrops)
{
    LogServer server;
    const std::string overflow = "type=ERROR;text=CLog - overflow (messages dropped)!;facility=f;sender=s;";
    CMessageClientAsync client("127.0.0.1", server.port(), false);
    client.SetOverflowMessage(overflow.c_str(), static_cast<int>(overflow.size()) + 1);
    server.pauseReading(true);
    // Big bodies fill the connection's buffers, so the sender blocks and the queue overflows.
    const std::string big(60000, 'B');
    int maxQueued = 0;
    for (int i = 0; i < 600; ++i) {
        client.SendAsync(big.data(), static_cast<int>(big.size()));
        maxQueued = std::max(maxQueued, client.queuedMessages());
    }
    EXPECT_LE(maxQueued, 128);
    EXPECT_GE(maxQueued, 100) << "the sender should have been blocked";
    server.pauseReading(false);
    bool found = false;
    for (int i = 0; i < 100 && !found; ++i) {
        server.waitForBodies(server.bodies().size() + 1, 100);
        const auto bodies = server.bodies();
        found = std::find(bodies.begin(), bodies.end(), withNul(overflow)) != bodies.end();
    }
    EXPECT_TRUE(found) << "the overflow message was never sent";
    EXPECT_EQ(server.malformedFrames(), 0);
}

TEST(CMessageClientAsync, ServerGoingAwayNeverBlocksTheCallerAndTheQueueStaysBounded)
{
    testsupport::StdoutCapture out;
    testsupport::DebugOutputCapture debug;
    {
        LogServer server;
        CMessageClientAsync client("127.0.0.1", server.port(), false);
        for (int i = 0; i < 20; ++i)
            sendRecord(client, record(i));
        ASSERT_TRUE(server.waitForBodies(20, 5000));
        server.stop();
        // The sender finds out on one of its next sends and ends.
        const std::string big(20000, 'x');
        for (int i = 0; i < 500 && client.isSending(); ++i) {
            client.SendAsync(big.data(), static_cast<int>(big.size()));
            Sleep(2);
        }
        EXPECT_FALSE(client.isSending());
        for (int i = 0; i < 1000; ++i)
            sendRecord(client, record(i));
        EXPECT_EQ(client.queuedMessages(), 128);
    }
    EXPECT_NE(out.text().find("Exception CSocket::send() - failed: "), std::string::npos) << out.text();
    EXPECT_EQ(debug.joined().find("terminating"), std::string::npos) << debug.joined();
}

TEST(CMessageClientAsync, DestructionReleasesASenderBlockedOnAPeerThatDoesNotRead)
{
    LogServer server;
    testsupport::DebugOutputCapture debug;
    {
        CMessageClientAsync client("127.0.0.1", server.port(), false);
        server.pauseReading(true);
        const std::string big(60000, 'B');
        for (int i = 0; i < 300; ++i)
            client.SendAsync(big.data(), static_cast<int>(big.size()));
    }
    EXPECT_EQ(debug.joined().find("terminating"), std::string::npos) << debug.joined();
    server.pauseReading(false);
}
