#pragma once
// A log-server double on 127.0.0.1 (ephemeral port): accepts any number of connections, records every
// byte it receives, splits the stream into "ME" frames, and can send bytes back or go away.

#include "win32_handles.h"

#include <winsock2.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

class LogServer {
public:
    LogServer();
    ~LogServer();
    LogServer(const LogServer&) = delete;
    LogServer& operator=(const LogServer&) = delete;

    int port() const { return m_Port; }

    // Every byte received, over all connections, in arrival order per connection.
    std::string rawBytes();
    // Bodies of the complete frames received so far.
    std::vector<std::string> bodies();
    // Frames whose magic was not "ME" (the server then drops that connection's remaining bytes).
    int malformedFrames();
    size_t connectionCount();

    bool waitForBodies(size_t count, unsigned timeoutMs);
    bool waitForConnections(size_t count, unsigned timeoutMs);
    bool waitForBytes(size_t count, unsigned timeoutMs);

    // Sends the bytes to every accepted connection, in pieces of at most pieceSize with a pause between
    // them (so that they arrive in several TCP segments).
    void sendToClients(const std::string& bytes, size_t pieceSize = 0, unsigned pauseMs = 0);
    // Stops reading from the connections (the peer's sends then back up), or resumes.
    void pauseReading(bool paused);
    // Closes the accepted connections (the peer sees a closed socket); the listener stays.
    void closeClients();
    // Goes away: closes the listener and all connections and ends the threads.
    void stop();

private:
    struct Connection {
        strell::unique_socket socket;
        std::string pending;
        bool broken = false;
        bool closed = false;
        std::thread reader;
    };

    void acceptLoop();
    void readLoop(Connection* connection);
    void parse(Connection& connection);

    strell::unique_socket m_Listener;
    int m_Port = 0;
    std::thread m_Acceptor;
    std::mutex m_Mutex;
    std::condition_variable m_Changed;
    std::vector<std::unique_ptr<Connection>> m_Connections;
    std::string m_Raw;
    std::vector<std::string> m_Bodies;
    int m_Malformed = 0;
    bool m_Paused = false;
    bool m_Stopped = false;
};

// A port on 127.0.0.1 on which nothing listens (bound once and closed again).
int unusedPort();

} // namespace testsupport
