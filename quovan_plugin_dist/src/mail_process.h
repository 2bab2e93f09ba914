#pragma once
// The error-report mail runs in a child process of the installer. The mail library is foreign code that
// may fault in ways C++ cannot catch (an access violation, a raised structured exception, a stack
// overflow); in a process of its own such a fault ends only that process, and the installer reads it as
// a failed send.

#include <string>

namespace installer {

class InstallerLog;

// Starts this program again to send the log file and waits for it. True when the mail was handed over;
// false when it was refused, or the child could not start or ended by a fault (its exit code then goes to
// the log).
bool sendErrorReportInChildProcess(const std::string& attachment, InstallerLog& log);

// In the child: true when the command line is the internal mail call; attachment receives its file.
bool isMailCall(const std::string& commandLine, std::string& attachment);

// The child's whole run: sends the mail and returns its exit code, one of its own when handed over.
int runMailCall(const std::string& attachment);

} // namespace installer
