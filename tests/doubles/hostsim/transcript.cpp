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
    if (!m_File)
        return;
    std::fwrite(text.data(), 1, text.size(), m_File);
    std::fputc('\n', m_File);
    std::fflush(m_File);
}

} // namespace hostsim
