#pragma once
// The error-report mail runs in a child process of the installer. The mail library is foreign code that
// may fault in ways C++ cannot catch (an access violation, a raised structured exception, a stack
// overflow) or never return; in a process of its own such a fault ends only that process, a hang is
// ended after a bounded wait, and the installer reads either as a failed send.
//
// The child takes its work from its parent only: the attachment comes through a pipe that the parent
// creates and only the child inherits, and it must be the log file beside the program. The installer
// runs with administrator rights, and whoever types the internal switch names no such pipe: for them it
// is an unknown option like any other.

#include <string>

namespace installer {

class InstallerLog;

// How long the installer waits for the mail by default: long enough for a mail client's own prompt
// ("a program wants to send mail in your name") to be read and answered.
constexpr unsigned long kMailWaitSeconds = 300;
// An environment variable of this name with a number of seconds (1 to 3600) replaces that wait.
constexpr char kMailWaitVariable[] = "QUOVAN_MAIL_WAIT_SECONDS";

// Starts this program again to send the log file and waits for it, at most the mail wait; a child still
// running then is ended, with everything it started. True when the mail was handed over; false when
// it was refused, the child could not start, ended by a fault (its exit code then goes to the log) or
// was ended.
bool sendErrorReportInChildProcess(const std::string& attachment, InstallerLog& log);

// In the child: true when the command line is the internal mail call of a parent installer, with the
// pipe it inherited and the log file beside the program in it; attachment receives that file.
bool isMailCall(const std::string& commandLine, std::string& attachment);

// The child's whole run: sends the mail and returns its exit code, one of its own when handed over.
int runMailCall(const std::string& attachment);

} // namespace installer
