#pragma once
// Exit codes of the installer. Interactive runs end with 0, or 1 when the user cancelled or an error
// ended the run. Silent runs tell their result, for software-distribution tools that read it.

namespace installer {
namespace exitcode {

constexpr int kSuccess = 0;              // every installation found was installed (or removed)
constexpr int kError = 1;                // wrong command line or option file, or an unexpected error
constexpr int kFailures = 2;             // at least one installation failed; the others were done
constexpr int kApplicationsRunning = 3;  // a map application was running; nothing was changed
constexpr int kNoInstallations = 4;      // no installation of a map product was found

} // namespace exitcode
} // namespace installer
