#include "transcript.h"

namespace hostsim {

CTranscript::~CTranscript()
{
    if (m_Owned && m_File)
        std::fclose(m_File);
}

bool CTranscript::open(const std::string& path)
{
    if (path.empty()) {
        m_File = stdout;
        return true;
    }
    m_File = std::fopen(path.c_str(), "wb");
    m_Owned = m_File != nullptr;
    return m_Owned;
}

void CTranscript::line(const std::string& text)
{
    // The plug-in's worker threads write too: one line at a time, whole.
    const std::lock_guard<std::mutex> lock(m_Mutex);
    if (!m_File)
        return;
    const std::string whole = text + '\n';
    std::fwrite(whole.data(), 1, whole.size(), m_File);
    std::fflush(m_File);
}

} // namespace hostsim
