#include "FileLogger.h"

#include "strell_trace.h"
#include "stringex.h"

namespace strell {

CFileLogger::CFileLogger(std::string fileName) : m_FileName(std::move(fileName)) {}

bool CFileLogger::write(std::string line)
{
    attach();
    return output(std::move(line));
}

void CFileLogger::attach()
{
    if (m_Logfile)
        return;
    m_Logfile.reset(std::fopen(m_FileName.c_str(), "a"));
    if (m_Logfile)
        output("attached to log file " + getCurrentFolder() + "\\" + m_FileName + "\n");
}

bool CFileLogger::output(std::string line)
{
    if (!m_Logfile) {
        debugOutput("m_Logfile==0: " + line);
        return false;
    }
    if (line.empty() || line.back() != '\n')
        line += '\n';
    debugOutput(line);
    traceVerbose("%s\n", line.c_str());
    const bool written = std::fwrite(line.data(), 1, line.size(), m_Logfile.get()) == line.size();
    return std::fflush(m_Logfile.get()) == 0 && written;
}

} // namespace strell
