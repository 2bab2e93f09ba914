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
            // The handle is closed below regardless.
        }
    } else {
        m_Socket.release();
    }
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
    if (::connect(m_Socket.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) == SOCKET_ERROR)
        throw strell::formatString("CSocket::connect(%s:%d) - failed: %d!", host.c_str(), port, WSAGetLastError());
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
