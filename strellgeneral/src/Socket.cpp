#include "Socket.h"

#include "strell_exception.h"
#include "stringex.h"

#include <cstring>

#define STRELL_SOURCE "./src/Socket"

namespace {
[[noreturn]] void throwSocketError(const char* format)
{
    throw strell::formatString(format, WSAGetLastError());
}
// An address that never answers would hold the caller for the system's connect time-out (21 s on
// Windows, minutes under Wine); the first log call waits for this connection.
constexpr long kConnectTimeoutMs = 2000;

// 0 when connected, else the Winsock error (WSAETIMEDOUT when the time ran out). The socket is blocking
// again afterwards.
int connectWithin(SOCKET socket, const sockaddr_in& address, long timeoutMs)
{
    u_long nonBlocking = 1;
    if (ioctlsocket(socket, FIONBIO, &nonBlocking) == SOCKET_ERROR)
        return WSAGetLastError();
    int error = 0;
    if (::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == SOCKET_ERROR) {
        error = WSAGetLastError();
        if (error == WSAEWOULDBLOCK) {
            fd_set writable;
            fd_set failed;
            FD_ZERO(&writable);
            FD_ZERO(&failed);
            FD_SET(socket, &writable);
            FD_SET(socket, &failed);
            timeval limit = {timeoutMs / 1000, (timeoutMs % 1000) * 1000};
            const int ready = ::select(0, nullptr, &writable, &failed, &limit);
            if (ready == SOCKET_ERROR) {
                error = WSAGetLastError();
            } else if (ready == 0) {
                error = WSAETIMEDOUT;
            } else {
                int result = 0;
                int length = sizeof result;
                error = getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&result), &length) ==
                                SOCKET_ERROR
                            ? WSAGetLastError()
                            : result;
            }
        }
    }
    u_long blocking = 0;
    if (ioctlsocket(socket, FIONBIO, &blocking) == SOCKET_ERROR && error == 0)
        error = WSAGetLastError();
    return error;
}
} // namespace

CSocket::CWinsockUse::CWinsockUse()
{
    WSADATA data;
    WSAStartup(0x0101, &data);
}

CSocket::CWinsockUse::~CWinsockUse()
{
    WSACleanup();
}

CSocket::CSocket(bool closeOnDestroy, int family, int type, int protocol)
    : m_Family(static_cast<short>(family)), m_CloseOnDestroy(closeOnDestroy)
{
    m_Socket.reset(::socket(family, type, protocol));
    if (!m_Socket)
        throwSocketError("CSocket::CSocket() - creating socket failed err %d!");
}

CSocket::CSocket(SOCKET handle) : m_Family(AF_INET), m_CloseOnDestroy(false)
{
    if (handle == INVALID_SOCKET)
        throwSocketError("CSocket::CSocket() - creating socket failed err %d!");
    m_Socket.reset(handle);
}

CSocket::~CSocket()
{
    if (m_CloseOnDestroy) {
        try {
            close();
        } catch (...) {
            // Closed once: a second attempt could close a socket that has the handle value by now.
        }
    }
    // What close left open is not closed again.
    m_Socket.release();
}

int CSocket::recv(char* buffer, int size, int flags)
{
    const int ret = ::recv(m_Socket.get(), buffer, size, flags);
    if (ret == SOCKET_ERROR)
        throwSocketError("CSocket::recv() - failed: %d!");
    return ret;
}

int CSocket::recvfrom(char* buffer, int size, int flags, sockaddr* from, int* fromLength)
{
    return ::recvfrom(m_Socket.get(), buffer, size, flags, from, fromLength);
}

int CSocket::send(const char* bytes, int length, int flags)
{
    const int ret = ::send(m_Socket.get(), bytes, length, flags);
    if (ret == SOCKET_ERROR)
        throwSocketError("CSocket::send() - failed: %d!");
    return ret;
}

void CSocket::close()
{
    if (!m_Socket)
        return;
    if (::closesocket(m_Socket.get()) == SOCKET_ERROR)
        throwSocketError("CSocket::close() - failed: %d!");
    m_Socket.release();
}

std::unique_ptr<CSocket> CSocket::accept(sockaddr* address, int* addressLength)
{
    const SOCKET accepted = ::accept(m_Socket.get(), address, addressLength);
    if (accepted == INVALID_SOCKET)
        throwSocketError("CSocket::CSocket() - creating socket failed err %d!");
    return std::unique_ptr<CSocket>(new CSocket(accepted));
}

void CSocket::bind(std::string, int port)
{
    sockaddr_in address = {};
    address.sin_family = m_Family;
    address.sin_port = htons(static_cast<u_short>(port));
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    if (::bind(m_Socket.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) == SOCKET_ERROR)
        throwSocketError("CSocket::bind() - failed: %d!");
}

void CSocket::listen(int backlog)
{
    if (::listen(m_Socket.get(), backlog) == SOCKET_ERROR)
        throwSocketError("CSocket::listen() - failed: %d!");
}

void CSocket::connect(std::string host, int port)
{
    sockaddr_in address = {};
    address.sin_family = m_Family;
    address.sin_port = htons(static_cast<u_short>(port));
    address.sin_addr.s_addr = inet_addr(host.c_str());
    if (address.sin_addr.s_addr == INADDR_NONE) {
        const hostent* hostEntry = gethostbyname(host.c_str());
        if (hostEntry && !hostEntry->h_addr_list[0])
            hostEntry = nullptr;
        STRELL_ASSERT(hostEntry!=0, "CSocket::connect",
                      strell::formatString("Could not resolve hostname \"%s\"", host.c_str()));
        std::memcpy(&address.sin_addr, hostEntry->h_addr_list[0], sizeof address.sin_addr);
    }
    const int error = connectWithin(m_Socket.get(), address, kConnectTimeoutMs);
    if (error != 0)
        throw strell::formatString("CSocket::connect(%s:%d) - failed: %d!", host.c_str(), port, error);
}

void CSocket::shutdown()
{
    if (m_Socket)
        ::shutdown(m_Socket.get(), SD_BOTH);
}

void CSocket::cancelBlockingCalls()
{
    typedef BOOL(WINAPI * CancelIoExFunction)(HANDLE, LPOVERLAPPED);
    static const CancelIoExFunction cancelIoEx = reinterpret_cast<CancelIoExFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "CancelIoEx")));
    if (m_Socket && cancelIoEx)
        cancelIoEx(reinterpret_cast<HANDLE>(m_Socket.get()), nullptr);
}

int CSocket::localPort() const
{
    sockaddr_in address = {};
    int length = sizeof address;
    if (!m_Socket || getsockname(m_Socket.get(), reinterpret_cast<sockaddr*>(&address), &length) == SOCKET_ERROR)
        return 0;
    return ntohs(address.sin_port);
}
