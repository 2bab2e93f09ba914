#pragma once
// The installer's texts for the user, its message boxes (caption and style) and its file names.

#include <windows.h>

#include <string>
#include <vector>

namespace installer {

constexpr char kLogFileName[] = "quovan.log";
constexpr char kPluginFileName[] = "quovan.dll";
constexpr char kOptionFileName[] = "quovan_plugin_dist.ini";

constexpr char kCaptionHelp[] = "quovan_plugin_dist.exe";
constexpr char kCaptionError[] = "Fehler";

constexpr char kHelpIntro[] = "usage: quovan_plugin_dist.exe [options]\n\n";
constexpr char kUnknownError[] = "Unbekannter Fehler";

constexpr char kMailSubject[] = "Quovan Desktop Fehlerdatei";

// Every box of the installer: no owner window, these captions and styles.
struct BoxKind {
    const char* caption;
    UINT style;
};
namespace box {
constexpr BoxKind kHelp{kCaptionHelp, MB_OK};
constexpr BoxKind kNoInstallations{"Quovan - Geogrid Plugin Installation", MB_ICONINFORMATION};
constexpr BoxKind kApplicationsRunning{"Quovan - Geogrid Plugin Installation", MB_YESNO | MB_ICONWARNING};
constexpr BoxKind kNoWriteAccess{kCaptionError, MB_ICONWARNING};
constexpr BoxKind kInstallationFailed{kCaptionError, MB_ICONERROR};
constexpr BoxKind kInstallSummary{"Information", MB_ICONINFORMATION};
constexpr BoxKind kRemoveSummary{"Information", MB_OK};
constexpr BoxKind kMailQuestion{"Frage", MB_YESNO | MB_ICONQUESTION};
constexpr BoxKind kMailFailed{kCaptionError, MB_ICONERROR};
constexpr BoxKind kRunError{kCaptionError, MB_OK};
} // namespace box

// Shows the box and returns the button the user pressed. A run shows its boxes through its Frontend
// (frontend.h); only the help, which the user asked for, shows its box in any run.
int messageBox(const BoxKind& kind, const std::string& text);

namespace text {
extern const char kNoInstallations[];
std::string applicationsRunning(const std::vector<std::string>& programPaths);
// The entry of that list when the running programs could not be listed.
extern const char kRunningProgramsUnknown[];
std::string noWriteAccess(const std::string& product, const std::string& pluginDir);
// A plug-in folder whose path is longer than the installer can work in.
std::string pluginFolderTooLong(const std::string& pluginDir, size_t longest);
// The plug-in file beside a signed installer carries no intact signature of the installer's publisher.
std::string pluginNotFromPublisher(const std::string& pluginFile);
std::string installationFailed(const std::string& product, const std::string& error);
std::string removeSummary(int doneCount, const std::string& doneList, int failedCount, const std::string& failedList);
// A folder ("Installationsverzeichnis", ...) whose name has characters outside the ANSI code page and no
// short form, named as closely as the code page allows.
std::string folderWithoutName(const std::string& folderKind, const std::string& folder);
// Added to a summary's failure part when this run could not write its log: no log to look at or to mail.
std::string logNotWritten(const std::string& logFile);
std::string installSummary(int doneCount, const std::string& doneList, int failedCount, const std::string& failedList);
std::string mailQuestion(const std::string& logFile, const std::string& supportAddress);
std::string mailFailed(const std::string& logFile);
} // namespace text

} // namespace installer
