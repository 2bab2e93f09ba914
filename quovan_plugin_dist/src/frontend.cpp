#include "frontend.h"

#include "deployment.h"
#include "exit_codes.h"
#include "installer_log.h"
#include "messages.h"

#include "stringex.h"

namespace installer {

namespace {

class InteractiveFrontend : public Frontend {
public:
    int show(const BoxKind& kind, const std::string& text) override { return messageBox(kind, text); }
    bool attended() const override { return true; }

    int completed(const DeploymentResult&, bool) override { return exitcode::kSuccess; }
    int noInstallations(bool) override { return exitcode::kSuccess; }
    int stoppedBeforeChanges(const std::string&) override { return exitcode::kError; }
    int endedByError() override { return exitcode::kError; }
};

// An administrator reading the logs of many PCs sees each outcome at a glance in the closing line.
class SilentFrontend : public Frontend {
public:
    explicit SilentFrontend(InstallerLog& log) : m_Log(log) {}

    int show(const BoxKind& kind, const std::string& text) override
    {
        m_Log.line(std::string(kind.caption) + ": " + text);
        switch (kind.style & MB_TYPEMASK) {
        case MB_YESNO:
        case MB_YESNOCANCEL:
            return IDYES;
        default:
            return IDOK;
        }
    }
    bool attended() const override { return false; }

    int completed(const DeploymentResult& result, bool removeMode) override
    {
        const int code = result.foundCount == 0  ? exitcode::kNoInstallations
                         : result.failedCount > 0 ? exitcode::kFailures
                                                  : exitcode::kSuccess;
        return end(strell::formatString("%d installation(s) found, %d %s, %d failed", result.foundCount,
                                        result.doneCount, removeMode ? "removed" : "installed", result.failedCount),
                   code);
    }
    int noInstallations(bool removeMode) override { return completed(DeploymentResult(), removeMode); }
    int stoppedBeforeChanges(const std::string& reason) override
    {
        return end(reason + ", nothing changed", exitcode::kApplicationsRunning);
    }
    int endedByError() override { return end("ended by an error", exitcode::kError); }

private:
    int end(const std::string& outcome, int code)
    {
        m_Log.line(strell::formatString("Silent run: %s, exit code %d", outcome.c_str(), code));
        return code;
    }

    InstallerLog& m_Log;
};

} // namespace

std::unique_ptr<Frontend> makeFrontend(bool silent, InstallerLog& log)
{
    if (silent)
        return std::make_unique<SilentFrontend>(log);
    return std::make_unique<InteractiveFrontend>();
}

} // namespace installer
