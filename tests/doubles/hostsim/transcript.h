#pragma once
// The simulated host's transcript: one line per event, written through at once so that it survives a
// crash of the process. Lines may come from any thread.

#include <cstdio>
#include <mutex>
#include <string>

namespace hostsim {

class CTranscript {
public:
    CTranscript() = default;
    ~CTranscript();
    CTranscript(const CTranscript&) = delete;
    CTranscript& operator=(const CTranscript&) = delete;

    // An empty path writes to standard output.
    bool open(const std::string& path);
    void line(const std::string& text);

private:
    FILE* m_File = nullptr;
    bool m_Owned = false;
    std::mutex m_Mutex;
};

} // namespace hostsim
