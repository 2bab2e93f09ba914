#include "strell_process_start.h"

#include "ansi_path.h"

namespace strell {

StartedProcess startProcess(std::wstring commandLine, const ProcessStartOptions& options)
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    if (options.output) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = options.output;
        startup.hStdError = options.output;
    }
    // A program meant for a job is held until it is in there, so that nothing it starts escapes it.
    const DWORD flags = options.creationFlags | (options.job ? CREATE_SUSPENDED : 0);
    // CreateProcessW may write into the command line, hence the copy taken by value.
    commandLine.push_back(L'\0');
    PROCESS_INFORMATION created = {};
    if (!CreateProcessW(options.application.empty() ? nullptr : options.application.c_str(), &commandLine[0],
                        nullptr, nullptr, options.inheritHandles || options.output != nullptr, flags,
                        const_cast<char*>(options.environment),
                        options.currentFolder.empty() ? nullptr : options.currentFolder.c_str(), &startup, &created))
        return StartedProcess();
    StartedProcess started;
    started.process.reset(created.hProcess);
    started.thread.reset(created.hThread);
    started.id = created.dwProcessId;
    if (options.job) {
        started.inJob = AssignProcessToJobObject(options.job, started.process.get()) != FALSE;
        if (!(options.creationFlags & CREATE_SUSPENDED))
            ResumeThread(started.thread.get());
    }
    return started;
}

StartedProcess startProcess(const std::string& commandLine, const ProcessStartOptions& options)
{
    return startProcess(toWideText(commandLine), options);
}

} // namespace strell
