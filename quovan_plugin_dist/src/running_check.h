#pragma once
// Finding running map applications. A map application is a process whose command line holds
// "d2vexcrd.exe". The check never fails open: a process whose command line cannot be read (no rights to
// its memory) is judged by its image name from the system's process list, which names every process,
// and a process list that cannot be read at all counts as a map application that may be running.

#include <functional>
#include <string>
#include <vector>

namespace installer {

class InstallerLog;

// One process as the check sees it.
struct ObservedProcess {
    std::string imageName;   // from the process list
    std::string commandLine; // empty when it could not be read
    std::string programPath; // the full path where it could be read, else the image name
};

bool isMapApplication(const ObservedProcess& process);

enum class RunningState {
    NoneRunning,
    Running,
    Unknown, // the process list could not be read
};

struct RunningApplications {
    RunningState state = RunningState::NoneRunning;
    std::vector<std::string> programPaths; // Running: the map applications found
    std::string reason;                    // Unknown: why the list could not be read
};

// The processes of this machine. Raises strell::exception when the process list cannot be read.
std::vector<ObservedProcess> listProcesses();

// Looks through the processes that the source lists (a source that raises leaves the state Unknown)
// and logs each map application found, or why the list could not be read.
RunningApplications findMapApplications(InstallerLog& log,
                                        const std::function<std::vector<ObservedProcess>()>& source = listProcesses);

} // namespace installer
