#pragma once
// The installer's command-line options (also read from its option file).

#include "CommandLineArguments.h"

namespace installer {

constexpr char kOptionHelp[] = "--help";
constexpr char kOptionVerbose[] = "--verbose";
constexpr char kOptionRemove[] = "--remove";
constexpr char kOptionUrl[] = "--url";
constexpr char kOptionBaseKey[] = "--basekey";

constexpr char kDefaultBaseKey[] = "HKLM\\SOFTWARE\\EADS Deutschland GmbH";

// Declares help, verbose, remove, url and basekey, in this order, with their defaults.
void declareOptions(CommandLineArguments& options);

} // namespace installer
