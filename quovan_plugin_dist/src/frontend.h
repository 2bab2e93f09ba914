#pragma once
// How a run meets its user. Interactive: message boxes. Silent, for unattended roll-outs: nobody is at
// the screen, so the text of every box goes to the log, prefixed with the box's caption, and the box is
// answered with its first button. Every end of a run takes its exit code from here, and a silent run's
// end also writes its one closing line to the log: no end can go without either.

#include <memory>
#include <string>

namespace installer {

class InstallerLog;
struct BoxKind;
struct DeploymentResult;

class Frontend {
public:
    virtual ~Frontend() = default;

    // The button pressed.
    virtual int show(const BoxKind& kind, const std::string& text) = 0;
    // Whether someone can take up an offer (the mail of the log).
    virtual bool attended() const = 0;

    // The ends of a run, each with its exit code.
    // The summary was reached.
    virtual int completed(const DeploymentResult& result, bool removeMode) = 0;
    // The base key does not exist.
    virtual int noInstallations(bool removeMode) = 0;
    // Map applications run, or may run (reason says which): nothing was changed. Interactive runs stop
    // here only when the user chose to.
    virtual int stoppedBeforeChanges(const std::string& reason) = 0;
    // A wrong command line or option file, or an unexpected error.
    virtual int endedByError() = 0;
};

std::unique_ptr<Frontend> makeFrontend(bool silent, InstallerLog& log);

} // namespace installer
