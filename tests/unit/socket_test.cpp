#include "Socket.h"
#include "import_patch.h"
#include "log_server.h"
#include "strell_exception.h"

#include <gtest/gtest.h>

#include <thread>

namespace {
std::unique_ptr<CSocket> tcpSocket()
{
    return std::unique_ptr<CSocket>(new CSocket(true, AF_INET, SOCK_STREAM, IPPROTO_TCP));
}

// closesocket of this program counted, failing (without closing) while failures are asked for.
using CloseFunction = int(WINAPI*)(SOCKET);
const CloseFunction g_Close = reinterpret_cast<CloseFunction>(
    reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ws2_32.dll"), "closesocket")));
int g_Closes = 0;
bool g_CloseFails = false;

int WINAPI countedClose(SOCKET socket)
{
    ++g_Closes;
    if (!g_CloseFails)
        return g_Close(socket);
    WSASetLastError(WSAENETDOWN);
    return SOCKET_ERROR;
}

// Routes the program's closesocket through countedClose while alive.
class CountedCloses {
public:
    CountedCloses() : m_Active(redirect(reinterpret_cast<const void*>(&countedClose))) {}
    ~CountedCloses() { redirect(reinterpret_cast<const void*>(g_Close)); }
    bool active() const { return m_Active; }

private:
    static bool redirect(const void* to)
    {
        return hostsim::replaceImport(GetModuleHandleA(nullptr), "ws2_32.dll", "closesocket", to);
    }
    bool m_Active;
};
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

TEST(CSocket, FailedCloseKeepsTheHandleAndIsNotRepeated)
{
    CountedCloses closes;
    ASSERT_TRUE(closes.active());
    g_Closes = 0;
    SOCKET handle = INVALID_SOCKET;
    {
        CSocket socket(true, AF_INET, SOCK_STREAM, IPPROTO_TCP);
        handle = socket.handle();
        g_CloseFails = true;
        try {
            socket.close();
            FAIL() << "a failed close raised nothing";
        } catch (const std::string& e) {
            EXPECT_EQ(e, "CSocket::close() - failed: 10050!");
        }
        EXPECT_EQ(socket.handle(), handle) << "a failed close keeps the handle";
    }
    g_CloseFails = false;
    // One attempt by close, one by the destructor: a handle value closed twice could by then belong
    // to another socket.
    EXPECT_EQ(g_Closes, 2);
    EXPECT_EQ(g_Close(handle), 0) << "the handle was left open";
}
