#include "running_check.h"

#include "installer_log.h"

#include "strell_exception.h"
#include "strell_process.h"
#include "stringex.h"

namespace installer {

namespace {
// Searched in command lines as a regular expression, as ever.
constexpr char kMapApplicationPattern[] = "d2vexcrd.exe";
// The image name of a map application, in lower case.
constexpr char kMapApplicationImage[] = "d2vexcrd.exe";
} // namespace

bool isMapApplication(const ObservedProcess& process)
{
    // An empty command line tells nothing either: it is what a process whose memory could not be read
    // leaves.
    if (process.commandLine.empty())
        return strell::toLower(process.imageName) == kMapApplicationImage;
    strell::ProcessInfoList candidate(1);
    candidate[0].CommandLine = process.commandLine;
    strell::filterProcessInfo(candidate, candidate, kMapApplicationPattern, strell::FILTER_COMMANDLINE, false, false);
    return !candidate.empty();
}

std::vector<ObservedProcess> listProcesses()
{
    strell::ProcessInfoList listed;
    strell::getProcessList(listed);
    std::vector<ObservedProcess> processes;
    for (const strell::ProcessInfo& entry : listed) {
        ObservedProcess process;
        process.imageName = entry.ExeModuleInfo.BaseName;
        try {
            strell::ProcessInfo info;
            strell::getProcessInfo(entry.ProcessId, info);
            process.commandLine = info.CommandLine;
            process.programPath = info.ExeModuleInfo.FullPathName;
        } catch (const strell::exception&) {
            // Judged by its image name; its path may still be known without reading its memory.
            strell::ProcessInfoList executable;
            strell::getProcessExeList(strell::ProcessIdList{entry.ProcessId}, executable);
            if (!executable.empty())
                process.programPath = executable.front().ExeModuleInfo.FullPathName;
        }
        if (process.programPath.empty())
            process.programPath = process.imageName;
        processes.push_back(std::move(process));
    }
    return processes;
}

RunningApplications findMapApplications(InstallerLog& log,
                                        const std::function<std::vector<ObservedProcess>()>& source)
{
    RunningApplications found;
    std::vector<ObservedProcess> processes;
    try {
        processes = source();
    } catch (const std::exception& e) {
        found.state = RunningState::Unknown;
        found.reason = e.what();
        log.line(" Running processes could not be listed: " + found.reason);
        return found;
    }
    for (const ObservedProcess& process : processes) {
        if (!isMapApplication(process))
            continue;
        found.programPaths.push_back(process.programPath);
        log.line(strell::formatString(" Running Geogrid Process \"%s\"", process.programPath.c_str()));
    }
    found.state = found.programPaths.empty() ? RunningState::NoneRunning : RunningState::Running;
    return found;
}

} // namespace installer
