#include "mail_process.h"

#include "config.h"
#include "error_report.h"
#include "installer_log.h"
#include "messages.h"

#include "ansi_path.h"
#include "stringex.h"
#include "win32_handles.h"

#include <windows.h>

#include <vector>

namespace installer {

namespace {

// Not among the options of the help text: only the installer itself starts a run with it.
constexpr char kMailCallSwitch[] = "--quovan-internal-send-report";

// Exit codes of the mail child. Success has a code of its own: a process torn down by a fault need not
// end with a fault code (under Wine a stack overflow ends it with 0).
constexpr int kMailHandedOver = 0x4D41;
constexpr int kMailNotSent = 1;

// Ends the child at once on a fault that nothing in it handles: no debugger, no system error dialog.
LONG WINAPI endOnFault(EXCEPTION_POINTERS* exception)
{
    TerminateProcess(GetCurrentProcess(), exception->ExceptionRecord->ExceptionCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

} // namespace

bool isMailCall(const std::string& commandLine, std::string& attachment)
{
    const std::string line = strell::trim(commandLine);
    const size_t length = sizeof kMailCallSwitch - 1;
    if (line.compare(0, length, kMailCallSwitch) != 0 || (line.size() > length && line[length] != ' '))
        return false;
    attachment = strell::trim(line.substr(length));
    if (attachment.size() >= 2 && attachment.front() == '"' && attachment.back() == '"')
        attachment = attachment.substr(1, attachment.size() - 2);
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
    std::vector<wchar_t> program(32768);
    const DWORD length = GetModuleFileNameW(nullptr, program.data(), static_cast<DWORD>(program.size()));
    if (length == 0 || length >= program.size())
        return false;
    const std::wstring programPath(program.data(), length);
    std::wstring commandLine = L"\"" + programPath + L"\" " + strell::toWideText(kMailCallSwitch) + L" \"" +
                               strell::toWideText(attachment) + L"\"";

    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION created = {};
    if (!CreateProcessW(programPath.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &created)) {
        const DWORD error = GetLastError();
        log.line("Mail process could not be started: " + strell::getWin32ErrorText(error));
        return false;
    }
    const strell::unique_process process(created.hProcess);
    const strell::unique_handle_null thread(created.hThread);
    // The mail system may ask its user for a while; only the child's end counts.
    WaitForSingleObject(process.get(), INFINITE);
    DWORD exitCode = kMailNotSent;
    GetExitCodeProcess(process.get(), &exitCode);
    if (exitCode != kMailHandedOver)
        log.line(strell::formatString("Mail process ended with exit code 0x%08lX", exitCode));
    return exitCode == kMailHandedOver;
}

} // namespace installer
