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

// Declares help, verbose, remove, silent, url and basekey, in this order, with their defaults.
void declareOptions(CommandLineArguments& options);

// Whether the command line asks for silent mode, read from its words alone: the run needs to know even
// when the command line turns out to be wrong.
bool silentRequested(const std::string& commandLine);

} // namespace installer
