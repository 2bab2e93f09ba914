#include "log_server.h"

#include <ws2tcpip.h>

#include <chrono>
#include <stdexcept>

namespace testsupport {

namespace {
struct WinsockUse {
    WinsockUse()
    {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    }
};

strell::unique_socket listenOnLoopback(int& port)
{
    static WinsockUse winsock;
    strell::unique_socket s(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    if (!s)
        throw std::runtime_error("LogServer: socket failed");
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = inet_addr("127.0.0.1");
    address.sin_port = 0;
    if (::bind(s.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(s.get(), 16) != 0)
        throw std::runtime_error("LogServer: bind/listen failed");
    int length = sizeof address;
    getsockname(s.get(), reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    return s;
}
} // namespace

LogServer::LogServer()
{
    m_Listener = listenOnLoopback(m_Port);
    m_Acceptor = std::thread([this] { acceptLoop(); });
}

LogServer::~LogServer()
{
    stop();
}

void LogServer::acceptLoop()
{
    for (;;) {
        strell::unique_socket s(::accept(m_Listener.get(), nullptr, nullptr));
        if (!s)
            return;
        std::lock_guard<std::mutex> lock(m_Mutex);
        if (m_Stopped)
            return;
        m_Connections.emplace_back(new Connection{std::move(s), {}, false, false, {}});
        Connection* connection = m_Connections.back().get();
        connection->reader = std::thread([this, connection] { readLoop(connection); });
        m_Changed.notify_all();
    }
}

void LogServer::readLoop(Connection* connection)
{
    char buffer[8192];
    for (;;) {
        // Taken under the lock: closeClients() closes the socket under it.
        SOCKET socket;
        {
            std::unique_lock<std::mutex> lock(m_Mutex);
            m_Changed.wait(lock, [&] { return !m_Paused || m_Stopped || connection->closed; });
            if (m_Stopped || connection->closed)
                return;
            socket = connection->socket.get();
        }
        const int n = ::recv(socket, buffer, sizeof buffer, 0);
        if (n <= 0)
            return;
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_Raw.append(buffer, n);
        connection->pending.append(buffer, n);
        parse(*connection);
        m_Changed.notify_all();
    }
}

void LogServer::parse(Connection& connection)
{
    std::string& data = connection.pending;
    while (!connection.broken && data.size() >= 4) {
        if (data[0] != 'M' || data[1] != 'E') {
            ++m_Malformed;
            connection.broken = true;
            break;
        }
        const size_t length = static_cast<unsigned char>(data[2]) | (static_cast<unsigned char>(data[3]) << 8);
        if (data.size() < 4 + length)
            break;
        m_Bodies.push_back(data.substr(4, length));
        data.erase(0, 4 + length);
    }
    if (connection.broken)
        data.clear();
}

std::string LogServer::rawBytes()
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_Raw;
}

std::vector<std::string> LogServer::bodies()
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_Bodies;
}

int LogServer::malformedFrames()
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_Malformed;
}

size_t LogServer::connectionCount()
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_Connections.size();
}

bool LogServer::waitForBodies(size_t count, unsigned timeoutMs)
{
    std::unique_lock<std::mutex> lock(m_Mutex);
    return m_Changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return m_Bodies.size() >= count; });
}

bool LogServer::waitForConnections(size_t count, unsigned timeoutMs)
{
    std::unique_lock<std::mutex> lock(m_Mutex);
    return m_Changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                              [&] { return m_Connections.size() >= count; });
}

bool LogServer::waitForBytes(size_t count, unsigned timeoutMs)
{
    std::unique_lock<std::mutex> lock(m_Mutex);
    return m_Changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return m_Raw.size() >= count; });
}

void LogServer::sendToClients(const std::string& bytes, size_t pieceSize, unsigned pauseMs)
{
    std::vector<SOCKET> sockets;
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        for (auto& c : m_Connections)
            sockets.push_back(c->socket.get());
    }
    if (pieceSize == 0)
        pieceSize = bytes.size();
    for (size_t offset = 0; offset < bytes.size(); offset += pieceSize) {
        const std::string piece = bytes.substr(offset, pieceSize);
        for (SOCKET s : sockets)
            ::send(s, piece.data(), static_cast<int>(piece.size()), 0);
        if (pauseMs)
            Sleep(pauseMs);
    }
}

void LogServer::pauseReading(bool paused)
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Paused = paused;
    m_Changed.notify_all();
}

void LogServer::closeClients()
{
    std::vector<std::unique_ptr<Connection>> connections;
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        connections.swap(m_Connections);
        for (auto& c : connections) {
            c->closed = true;
            // Closing is what wakes a blocked recv under Wine; shutdown alone does not.
            ::shutdown(c->socket.get(), SD_BOTH);
            c->socket.reset();
        }
        m_Changed.notify_all();
    }
    for (auto& c : connections)
        if (c->reader.joinable())
            c->reader.join();
}

void LogServer::stop()
{
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        if (m_Stopped && !m_Listener)
            return;
        m_Stopped = true;
        m_Changed.notify_all();
    }
    if (m_Acceptor.joinable()) {
        // A connection of our own wakes the blocked accept, which then sees the stop.
        const strell::unique_socket wake(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = inet_addr("127.0.0.1");
        address.sin_port = htons(static_cast<u_short>(m_Port));
        ::connect(wake.get(), reinterpret_cast<sockaddr*>(&address), sizeof address);
        m_Acceptor.join();
    }
    m_Listener.reset();
    closeClients();
}

int unusedPort()
{
    int port = 0;
    listenOnLoopback(port);
    return port;
}

} // namespace testsupport
