#include "mail_process.h"

#include "config.h"
#include "error_report.h"
#include "installer_log.h"
#include "messages.h"

#include "ansi_path.h"
#include "strell_process_start.h"
#include "strell_systeminfo.h"
#include "stringex.h"
#include "win32_handles.h"

#include <windows.h>

#include <cstdlib>
#include <vector>

namespace installer {

namespace {

// Not among the options of the help text: only the installer itself starts a run with it.
constexpr char kMailCallSwitch[] = "--quovan-internal-send-report";

// Exit codes of the mail child. Success has a code of its own: a process torn down by a fault need not
// end with a fault code (under Wine a stack overflow ends it with 0).
constexpr int kMailHandedOver = 0x4D41;
constexpr int kMailNotSent = 1;

// Far more than any path; a pipe holding more is no parent's.
constexpr DWORD kLongestWork = 32768;

// Ends the child at once on a fault that nothing in it handles: no debugger, no system error dialog.
LONG WINAPI endOnFault(EXCEPTION_POINTERS* exception)
{
    TerminateProcess(GetCurrentProcess(), exception->ExceptionRecord->ExceptionCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

DWORD mailWaitMilliseconds()
{
    char value[16] = {};
    const DWORD length = GetEnvironmentVariableA(kMailWaitVariable, value, sizeof value);
    if (length > 0 && length < sizeof value) {
        char* end = nullptr;
        const unsigned long seconds = std::strtoul(value, &end, 10);
        if (*end == '\0' && seconds >= 1 && seconds <= 3600)
            return seconds * 1000;
    }
    return kMailWaitSeconds * 1000;
}

// What the pipe inherited from the parent holds. Only a pipe, and only what it holds already: a number
// that names another handle of this process, or a pipe that nobody has written to, must neither be
// used nor block.
bool readInheritedPipe(const std::string& handleText, std::string& work)
{
    if (handleText.empty() || handleText.size() > 10 || handleText.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const HANDLE pipe = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(std::strtoull(handleText.c_str(), nullptr, 10)));
    if (pipe == nullptr || GetFileType(pipe) != FILE_TYPE_PIPE)
        return false;
    const strell::unique_handle_null owned(pipe);
    DWORD available = 0;
    if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) || available == 0 || available > kLongestWork)
        return false;
    work.assign(available, '\0');
    DWORD read = 0;
    return ReadFile(pipe, &work[0], available, &read, nullptr) && read == available;
}

// The pipe that carries the attachment to the child, its writing end already closed: the child finds
// the whole text at once. Only the reading end is inheritable.
bool pipeHolding(const std::string& work, strell::unique_handle_null& readEnd)
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    strell::unique_handle_null writeEnd;
    if (!CreatePipe(readEnd.put(), writeEnd.put(), &inherit, 0) ||
        !SetHandleInformation(writeEnd.get(), HANDLE_FLAG_INHERIT, 0))
        return false;
    DWORD written = 0;
    return WriteFile(writeEnd.get(), work.data(), static_cast<DWORD>(work.size()), &written, nullptr) &&
           written == work.size();
}

// A job that ends the child, and whatever it starts, when it is closed: by the installer after the
// wait, or by the system when the installer itself is ended.
strell::unique_handle_null killingJob()
{
    strell::unique_handle_null job(CreateJobObjectW(nullptr, nullptr));
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (job && !SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits))
        job.reset();
    return job;
}

} // namespace

bool isMailCall(const std::string& commandLine, std::string& attachment)
{
    const std::string line = strell::trim(commandLine);
    const size_t length = sizeof kMailCallSwitch - 1;
    if (line.compare(0, length, kMailCallSwitch) != 0 || line.size() <= length || line[length] != ' ')
        return false;
    std::string work;
    if (!readInheritedPipe(strell::trim(line.substr(length)), work) ||
        work != strell::joinPath(strell::getExecutableFolder(), kLogFileName))
        return false;
    attachment = work;
    return true;
}

int runMailCall(const std::string& attachment)
{
    // This process does nothing but the mail: a process-wide reaction to faults is right here.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    SetUnhandledExceptionFilter(endOnFault);
    return sendErrorReport(kOfficeMailAddress, kSupportMailAddress, kMailSubject, "", attachment) ? kMailHandedOver
                                                                                                : kMailNotSent;
}

bool sendErrorReportInChildProcess(const std::string& attachment, InstallerLog& log)
{
    const std::wstring programPath = strell::getExecutableWidePath();
    if (programPath.empty())
        return false;

    strell::unique_handle_null work;
    if (!pipeHolding(attachment, work)) {
        log.line("Mail process could not be given its work: " + strell::getWin32ErrorText(GetLastError()));
        return false;
    }
    std::wstring commandLine = L"\"" + programPath + L"\" " + strell::toWideText(kMailCallSwitch) + L" " +
                               std::to_wstring(reinterpret_cast<ULONG_PTR>(work.get()));
    const strell::unique_handle_null job = killingJob();

    strell::ProcessStartOptions options;
    options.application = programPath;
    options.inheritHandles = true;
    options.job = job.get();
    const strell::StartedProcess started = strell::startProcess(commandLine, options);
    if (!started) {
        const DWORD error = GetLastError();
        log.line("Mail process could not be started: " + strell::getWin32ErrorText(error));
        return false;
    }
    const strell::unique_process& process = started.process;
    work.reset();
    // Without the job (a system that does not nest jobs) the child is still ended after the wait.
    const bool inJob = started.inJob;

    const DWORD waitMs = mailWaitMilliseconds();
    if (WaitForSingleObject(process.get(), waitMs) != WAIT_OBJECT_0) {
        if (inJob)
            TerminateJobObject(job.get(), kMailNotSent);
        else
            TerminateProcess(process.get(), kMailNotSent);
        WaitForSingleObject(process.get(), 5000);
        log.line(strell::formatString("Mail process did not end within %lu s and was ended",
                                      static_cast<unsigned long>(waitMs / 1000)));
        return false;
    }
    DWORD exitCode = kMailNotSent;
    GetExitCodeProcess(process.get(), &exitCode);
    if (exitCode != kMailHandedOver)
        log.line(strell::formatString("Mail process ended with exit code 0x%08lX", exitCode));
    return exitCode == kMailHandedOver;
}

} // namespace installer
