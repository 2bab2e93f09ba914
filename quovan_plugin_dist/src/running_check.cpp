#include "running_check.h"

#include "installer_log.h"

#include "strell_process.h"
#include "stringex.h"

namespace installer {

bool checkGeogridRunning(InstallerLog& log, std::vector<std::string>& programPaths)
{
    try {
        std::vector<DWORD> ids;
        strell::getProcessIds(ids);
        std::vector<strell::ProcessInfo> processes;
        strell::getProcessInfoList(ids, processes);
        std::vector<strell::ProcessInfo> running;
        strell::filterProcessInfo(processes, running, "d2vexcrd.exe", strell::FILTER_COMMANDLINE, false, false);
        for (const strell::ProcessInfo& process : running) {
            const std::string& path = process.ExeModuleInfo.FullPathName;
            programPaths.push_back(path);
            log.line(strell::formatString(" Running Geogrid Process \"%s\"", path.c_str()));
        }
        return !running.empty();
    } catch (...) {
        return false;
    }
}

} // namespace installer
