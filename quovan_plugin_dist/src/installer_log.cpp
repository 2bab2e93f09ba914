#include "installer_log.h"

#include "strell_log.h"
#include "stringex.h"

namespace installer {

void InstallerLog::line(const std::string& text)
{
    if (!strell::LogInfo(text, 0, m_File))
        m_Complete = false;
}

void InstallerLog::error(const std::string& text)
{
    line(strell::formatString("ERROR::(%s) %s\n", "quovan_plugin_dist.exe", text.c_str()));
}

void InstallerLog::close()
{
    strell::LogCloseFiles();
}

} // namespace installer
