#pragma once
// The installer's texts for the user and its file names.

namespace installer {

constexpr char kProgramName[] = "quovan_plugin_dist.exe";
constexpr char kLogFileName[] = "quovan.log";

constexpr char kCaptionHelp[] = "quovan_plugin_dist.exe";
constexpr char kCaptionError[] = "Fehler";

constexpr char kHelpIntro[] = "usage: quovan_plugin_dist.exe [options]\n\n";
constexpr char kUnknownError[] = "Unbekannter Fehler";

} // namespace installer
