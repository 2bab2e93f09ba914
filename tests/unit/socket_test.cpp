#include "Socket.h"
#include "log_server.h"
#include "strell_exception.h"

#include <gtest/gtest.h>

#include <thread>

namespace {
std::unique_ptr<CSocket> tcpSocket()
{
    return std::unique_ptr<CSocket>(new CSocket(true, AF_INET, SOCK_STREAM, IPPROTO_TCP));
}
} // namespace

TEST(CSocket, RefusedPortRaisesPlainTextWithTheWinsockCode)
{
    const int port = testsupport::unusedPort();
    auto socket = tcpSocket();
    try {
        socket->connect("127.0.0.1", port);
        FAIL() << "connected to a closed port";
    } catch (const strell::exception& e) {
        FAIL() << "a report instead of the plain text: " << e.text();
    } catch (const std::string& e) {
        EXPECT_EQ(e, "CSocket::connect(127.0.0.1:" + std::to_string(port) + ") - failed: 10061!");
    }
}

TEST(CSocket, UnresolvableHostRaisesAssertionReport)
{
    auto socket = tcpSocket();
    try {
        socket->connect("no-such-host.invalid", 80);
        FAIL() << "resolved an invalid name";
    } catch (const strell::exception& e) {
        EXPECT_EQ(e.text().rfind("Assertion \"hostEntry!=0\" failed \"Could not resolve hostname "
                                 "\"no-such-host.invalid\"\" [\"./src/Socket:",
                                 0),
                  0u)
            << e.text();
        const std::string suffix = ":CSocket::connect\"]";
        EXPECT_EQ(e.text().substr(e.text().size() - suffix.size()), suffix);
    }
}

TEST(CSocket, ConnectsByNameSendsAndSeesThePeerClose)
{
    testsupport::LogServer server;
    auto socket = tcpSocket();
    socket->connect("localhost", server.port());
    EXPECT_EQ(socket->send("hello", 5, 0), 5);
    ASSERT_TRUE(server.waitForBytes(5, 5000));
    EXPECT_EQ(server.rawBytes(), "hello");
    server.closeClients();
    char buffer[8];
    EXPECT_EQ(socket->recv(buffer, sizeof buffer, 0), 0) << "a closed peer reads as 0, not as an error";
    socket->close();
    socket->close(); // closing twice is harmless
    try {
        socket->send("x", 1, 0);
        FAIL();
    } catch (const std::string& e) {
        EXPECT_EQ(e.rfind("CSocket::send() - failed: ", 0), 0u) << e;
    }
}

TEST(CSocket, ListensAcceptsAndReportsBindConflicts)
{
    CSocket listener(true, AF_INET, SOCK_STREAM, IPPROTO_TCP);
    listener.bind("ignored", 0);
    listener.listen(1);
    const int port = listener.localPort();
    ASSERT_NE(port, 0);

    auto client = tcpSocket();
    std::thread connector([&] { client->connect("127.0.0.1", port); });
    std::unique_ptr<CSocket> accepted = listener.accept(nullptr, nullptr);
    connector.join();
    EXPECT_EQ(client->send("ab", 2, 0), 2);
    char buffer[4] = {};
    int got = 0;
    while (got < 2) {
        const int n = accepted->recv(buffer + got, 2 - got, 0);
        ASSERT_GT(n, 0);
        got += n;
    }
    EXPECT_EQ(std::string(buffer, 2), "ab");
    accepted->close(); // the accepted socket is its owner's to close

    CSocket second(true, AF_INET, SOCK_STREAM, IPPROTO_TCP);
    try {
        second.bind("", port);
        FAIL() << "bound a port in use";
    } catch (const std::string& e) {
        EXPECT_EQ(e, "CSocket::bind() - failed: 10048!");
    }
}
