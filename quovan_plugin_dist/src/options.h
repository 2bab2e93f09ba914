#pragma once
// The installer's command-line options (also read from its option file).

#include "CommandLineArguments.h"

namespace installer {

constexpr char kOptionHelp[] = "--help";
constexpr char kOptionVerbose[] = "--verbose";
constexpr char kOptionRemove[] = "--remove";
constexpr char kOptionSilent[] = "--silent";
constexpr char kOptionUrl[] = "--url";
constexpr char kOptionBaseKey[] = "--basekey";

constexpr char kDefaultBaseKey[] = "HKLM\\SOFTWARE\\EADS Deutschland GmbH";

// The option file's section, where the parser looks for every option (its keys: the long names without
// their dashes).
constexpr char kOptionSection[] = "parameters";

// Declares help, verbose, remove, silent, url and basekey, in this order, with their defaults.
void declareOptions(CommandLineArguments& options);

// Whether the run is silent: "-s" or "--silent" among the command line's words, or a silent switch in
// the option file that is not plainly off (a value that is no switch word counts: it was meant to say
// something, and nobody may be there to click). Read before anything is parsed, so that an error in the
// command line or the option file of a silent run shows no box either.
bool silentRequested(const std::string& commandLine, const std::string& optionFile);

} // namespace installer
