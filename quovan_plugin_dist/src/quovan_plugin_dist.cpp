// The installer: installs quovan.dll into every Geogrid map product the registry names, or removes
// it with --remove. Every exchange with the user is a message box, or in a silent run a line of its log.

#include "config.h"
#include "deployment.h"
#include "exit_codes.h"
#include "frontend.h"
#include "installations.h"
#include "installer_log.h"
#include "mail_process.h"
#include "messages.h"
#include "options.h"
#include "registry.h"
#include "running_check.h"
#include "system_library.h"

#include "strell_systeminfo.h"
#include "strell_trace.h"
#include "stringex.h"

#include <windows.h>

#include <shellapi.h>

#include <exception>
#include <optional>
#include <string>
#include <vector>

using namespace installer;

namespace {

int showHelp(const CommandLineArguments& options)
{
    // Help is what the user asked for: its box shows in a silent run too.
    messageBox(box::kHelp, kHelpIntro + options.GetHelpText(""));
    return exitcode::kSuccess;
}

int openUrl(const std::string& url)
{
    // The shell's result is of no concern: the run ends here either way.
    ShellExecuteA(nullptr, "open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return exitcode::kSuccess;
}

int reportNoInstallations(InstallerLog& log, Frontend& frontend, bool removeMode)
{
    frontend.show(box::kNoInstallations, text::kNoInstallations);
    log.error(text::kNoInstallations);
    return frontend.noInstallations(removeMode);
}

// The run's exit code when it must stop before anything is changed: map applications run, or may run
// because the running programs could not be listed, and the user chose to cancel. A silent run, where
// nobody answers, takes the question's first button, Yes: it cancels too.
std::optional<int> stopWhileRunning(InstallerLog& log, Frontend& frontend)
{
    const RunningApplications running = findMapApplications(log);
    if (running.state == RunningState::NoneRunning)
        return std::nullopt;
    const bool unknown = running.state == RunningState::Unknown;
    const std::vector<std::string> programs =
        unknown ? std::vector<std::string>{text::kRunningProgramsUnknown} : running.programPaths;
    if (frontend.show(box::kApplicationsRunning, text::applicationsRunning(programs)) != IDYES)
        return std::nullopt;
    return frontend.stoppedBeforeChanges(unknown ? "the running programs could not be listed"
                                                 : "map applications are running");
}

void showSummary(Frontend& frontend, const PluginDeployment& deployment, const InstallerLog& log)
{
    const DeploymentResult& result = deployment.result();
    // Failures were logged: a log that lacks them has nothing to look at or to mail.
    const std::string missingLog =
        result.failedCount > 0 && !log.complete() ? text::logNotWritten(log.file()) : std::string();
    if (deployment.removeMode())
        frontend.show(box::kRemoveSummary, text::removeSummary(result.doneCount, result.doneList, result.failedCount,
                                                               result.failedList) +
                                               missingLog);
    else
        frontend.show(box::kInstallSummary, text::installSummary(result.doneCount, result.doneList,
                                                                 result.failedCount, result.failedList) +
                                                missingLog);
}

void offerErrorReport(InstallerLog& log, Frontend& frontend)
{
    if (frontend.show(box::kMailQuestion, text::mailQuestion(log.file(), kSupportMailAddress)) != IDYES)
        return;
    // The mail system reads the log file: close it first.
    log.close();
    if (!sendErrorReportInChildProcess(log.file(), log))
        frontend.show(box::kMailFailed, text::mailFailed(log.file()));
}

int install(CommandLineArguments& options, InstallerLog& log, Frontend& frontend)
{
    options.LoadFromIni(kOptionFileName);
    strell::setTraceLevel(options.GetInt(kOptionVerbose));
    const std::string baseKey = normaliseBaseKey(options.GetString(kOptionBaseKey));
    const bool removeMode = options.GetBool(kOptionRemove);

    if (!baseKeyExists(baseKey))
        return reportNoInstallations(log, frontend, removeMode);
    if (const std::optional<int> stopped = stopWhileRunning(log, frontend))
        return *stopped;

    PluginDeployment deployment(removeMode, kPluginFileName, log, frontend);
    walkInstallations(
        baseKey, log,
        [&](const std::string& product, const std::string& pluginDir) { deployment.deploy(product, pluginDir); },
        [&](const std::string& product, const std::string& error) { deployment.fail(product, error); });

    showSummary(frontend, deployment, log);
    const DeploymentResult& result = deployment.result();
    if (frontend.attended() && !removeMode && result.failedCount > 0 && log.complete())
        offerErrorReport(log, frontend);
    return frontend.completed(result, removeMode);
}

int reportError(InstallerLog& log, Frontend& frontend, const std::string& error)
{
    log.error(error);
    frontend.show(box::kRunError, error);
    return frontend.endedByError();
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int)
{
    restrictDllSearch();
    const std::string arguments = commandLine ? commandLine : "";
    std::string mailAttachment;
    if (isMailCall(arguments, mailAttachment))
        return runMailCall(mailAttachment);
    InstallerLog log(strell::joinPath(strell::getExecutableFolder(), kLogFileName));
    // Decided before anything can show a box: an unattended run must never wait for a click.
    const std::unique_ptr<Frontend> frontend = makeFrontend(silentRequested(arguments, kOptionFileName), log);
    try {
        CommandLineArguments options;
        declareOptions(options);
        // "dummy" stands in for the program name; -ver / --version ends the process in here.
        options.ParseCommandLine("dummy " + arguments);
        if (options.GetBool(kOptionHelp))
            return showHelp(options);
        options.Validate();
        if (options.GetBool(kOptionUrl))
            return openUrl(options.GetString(kOptionUrl));

        return install(options, log, *frontend);
    } catch (const std::string& error) {
        return reportError(log, *frontend, error);
    } catch (const std::exception& e) {
        return reportError(log, *frontend, e.what());
    } catch (...) {
        return reportError(log, *frontend, kUnknownError);
    }
}
