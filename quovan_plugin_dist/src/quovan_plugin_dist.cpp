// The installer: installs quovan.dll into every Geogrid map product the registry names, or removes
// it with --remove. Every exchange with the user is a message box.

#include "config.h"
#include "deployment.h"
#include "exit_codes.h"
#include "installations.h"
#include "installer_log.h"
#include "mail_process.h"
#include "messages.h"
#include "options.h"
#include "registry.h"
#include "running_check.h"
#include "system_library.h"

#include "strell_log.h"
#include "strell_systeminfo.h"
#include "strell_trace.h"
#include "stringex.h"

#include <windows.h>

#include <shellapi.h>

#include <exception>
#include <string>
#include <vector>

using namespace installer;

namespace {

int showHelp(const CommandLineArguments& options)
{
    showBox(box::kHelp, kHelpIntro + options.GetHelpText(""));
    return 0;
}

int openUrl(const std::string& url)
{
    // The shell's result is of no concern: the run ends here either way.
    ShellExecuteA(nullptr, "open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return 0;
}

int reportNoInstallations(const std::string& logFile)
{
    showBox(box::kNoInstallations, text::kNoInstallations);
    logError(logFile, text::kNoInstallations);
    return silentMode() ? exitcode::kNoInstallations : exitcode::kSuccess;
}

// True when the run must stop because map applications are running: the user chose to cancel, or
// nobody can be asked (silent mode), and then nothing is changed.
bool stopsWhileRunning(const std::string& logFile)
{
    std::vector<std::string> programPaths;
    if (!checkGeogridRunning(logFile, programPaths))
        return false;
    if (silentMode()) {
        logLine(logFile, "Silent mode: map applications are running, nothing is changed");
        return true;
    }
    return showBox(box::kApplicationsRunning, text::applicationsRunning(programPaths)) == IDYES;
}

// The log file's size, or -1 when there is no file of that name (nothing, or a folder).
long long logFileSize(const std::string& logFile)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(logFile.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// logWritten: whether this run's lines reached the log; if not, the failure part says so.
void showSummary(const PluginDeployment& deployment, const std::string& logFile, bool logWritten)
{
    const DeploymentResult& result = deployment.result();
    const std::string missingLog =
        result.failedCount > 0 && !logWritten ? text::logNotWritten(logFile) : std::string();
    if (deployment.removeMode())
        showBox(box::kRemoveSummary, text::removeSummary(result.doneCount, result.doneList, result.failedCount,
                                                         result.failedList) +
                                         missingLog);
    else
        showBox(box::kInstallSummary, text::installSummary(result.doneCount, result.doneList, result.failedCount,
                                                           result.failedList) +
                                          missingLog);
}

void offerErrorReport(const std::string& logFile)
{
    if (showBox(box::kMailQuestion, text::mailQuestion(logFile, kSupportMailAddress)) != IDYES)
        return;
    // The mail system reads the log file: close it first.
    strell::LogCloseFiles();
    if (!sendErrorReportInChildProcess(logFile, logFile))
        showBox(box::kMailFailed, text::mailFailed(logFile));
}

// The result of a silent run as its exit code, also written to the log in one line, so that an
// administrator reading the logs of many PCs sees each outcome at a glance.
int silentResult(const std::string& logFile, const PluginDeployment& deployment)
{
    const DeploymentResult& result = deployment.result();
    const int code = result.foundCount == 0  ? exitcode::kNoInstallations
                     : result.failedCount > 0 ? exitcode::kFailures
                                              : exitcode::kSuccess;
    logLine(logFile, strell::formatString("Silent run: %d installation(s) found, %d %s, %d failed, exit code %d",
                                          result.foundCount, result.doneCount,
                                          deployment.removeMode() ? "removed" : "installed", result.failedCount,
                                          code));
    return code;
}

int install(CommandLineArguments& options, const std::string& logFile)
{
    options.LoadFromIni(kOptionFileName);
    if (options.GetBool(kOptionSilent))
        beginSilentMode(logFile);
    strell::setTraceLevel(options.GetInt(kOptionVerbose));

    const std::string baseKey = normaliseBaseKey(options.GetString(kOptionBaseKey));
    PluginDeployment deployment(options.GetBool(kOptionRemove), kPluginFileName, logFile);

    if (!baseKeyExists(baseKey))
        return reportNoInstallations(logFile);
    if (stopsWhileRunning(logFile))
        return silentMode() ? exitcode::kApplicationsRunning : exitcode::kError;

    // Every failure is logged; a log that did not grow could not be written (read-only media, a folder
    // of its name), and an old one must not be offered as this run's.
    const long long logSizeBefore = logFileSize(logFile);
    walkInstallations(
        baseKey, logFile,
        [&](const std::string& product, const std::string& pluginDir) { deployment.deploy(product, pluginDir); },
        [&](const std::string& product, const std::string& error) { deployment.fail(product, error); });
    const long long logSizeAfter = logFileSize(logFile);
    const bool logWritten = logSizeAfter >= 0 && logSizeAfter > logSizeBefore;

    showSummary(deployment, logFile, logWritten);
    if (silentMode())
        return silentResult(logFile, deployment);
    if (!deployment.removeMode() && deployment.result().failedCount > 0 && logWritten)
        offerErrorReport(logFile);
    return exitcode::kSuccess;
}

// silent: whether the command line asked for silent mode; the error may have come before it took effect.
int reportError(const std::string& logFile, const std::string& error, bool silent)
{
    if (silent)
        beginSilentMode(logFile);
    logError(logFile, error);
    showBox(box::kRunError, error);
    if (silentMode())
        logLine(logFile, strell::formatString("Silent run: ended by an error, exit code %d", exitcode::kError));
    return exitcode::kError;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int)
{
    restrictDllSearch();
    const std::string arguments = commandLine ? commandLine : "";
    std::string mailAttachment;
    if (isMailCall(arguments, mailAttachment))
        return runMailCall(mailAttachment);
    const std::string logFile = strell::joinPath(strell::getExecutableFolder(), kLogFileName);
    // Known before parsing, so that a wrong command line of a silent run shows no box either.
    const bool silent = silentRequested(arguments);
    try {
        CommandLineArguments options;
        declareOptions(options);
        // "dummy" stands in for the program name; -ver / --version ends the process in here.
        options.ParseCommandLine("dummy " + arguments);
        // Help is what the user asked for, so it shows its box even in silent mode.
        if (options.GetBool(kOptionHelp))
            return showHelp(options);
        if (silent)
            beginSilentMode(logFile);
        options.Validate();
        if (options.GetBool(kOptionUrl))
            return openUrl(options.GetString(kOptionUrl));

        return install(options, logFile);
    } catch (const std::string& error) {
        return reportError(logFile, error, silent);
    } catch (const std::exception& e) {
        return reportError(logFile, e.what(), silent);
    } catch (...) {
        return reportError(logFile, kUnknownError, silent);
    }
}
