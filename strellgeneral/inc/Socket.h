#pragma once
// One Winsock socket with raising operations. Failures raise a plain std::string naming the operation
// and the Winsock error code; only an unresolvable host name raises a strell::exception report.

#include "win32_handles.h"

#include <winsock2.h>

#include <memory>
#include <string>

class CSocket {
public:
    // Starts Winsock 1.1 for this object and creates the socket. The message client uses
    // (true, AF_INET, SOCK_STREAM, IPPROTO_TCP).
    CSocket(bool closeOnDestroy, int family, int type, int protocol);
    // Adopts a handle (from accept); such a socket is not closed on destruction unless the owner asks.
    explicit CSocket(SOCKET handle);
    // Closes the socket if it closes on destroy (one attempt: a handle that fails to close stays as it
    // is), then ends this object's Winsock use.
    virtual ~CSocket();
    CSocket(const CSocket&) = delete;
    CSocket& operator=(const CSocket&) = delete;

    // Bytes received, 0 when the peer closed.
    virtual int recv(char* buffer, int size, int flags);
    // recvfrom, unchecked.
    virtual int recvfrom(char* buffer, int size, int flags, sockaddr* from, int* fromLength);
    // Bytes sent by one send call; a short count is returned, not retried.
    virtual int send(const char* bytes, int length, int flags);
    // Closing twice is harmless; a failed close keeps the handle.
    virtual void close();
    // The accepted connection; it does not close on destroy (its owner closes it or sets the flag).
    virtual std::unique_ptr<CSocket> accept(sockaddr* address, int* addressLength);
    // Binds to all local addresses; the first argument is not used.
    virtual void bind(std::string unused, int port);
    virtual void listen(int backlog);
    // Dotted address or host name.
    virtual void connect(std::string host, int port);

    // Ends both directions; errors are ignored. (Under Wine this alone does not wake a blocked call.)
    void shutdown();
    // Cancels the send or receive that another thread is blocked in (CancelIoEx where the system has it);
    // that call then fails. A call that starts later is not affected.
    void cancelBlockingCalls();
    void setCloseOnDestroy(bool close) { m_CloseOnDestroy = close; }
    // The local port the socket is bound to (after bind or connect), 0 if none.
    int localPort() const;
    SOCKET handle() const { return m_Socket.get(); }

private:
    // WSAStartup on construction, WSACleanup on destruction: counted per CSocket.
    class CWinsockUse {
    public:
        CWinsockUse();
        ~CWinsockUse();
    };

    CWinsockUse m_Winsock;
    strell::unique_socket m_Socket;
    short m_Family;
    bool m_CloseOnDestroy;
};
