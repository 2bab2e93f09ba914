#include "options.h"

#include "Argv.h"
#include "Inifile.h"

namespace installer {

void declareOptions(CommandLineArguments& options)
{
    options.AddArgument(CommandLineArgument("-h", kOptionHelp, CommandLineArgument::TYPE_BOOL, false,
                                            "Displays the helpscreen"));
    options.AddArgument(CommandLineArgument("-v", kOptionVerbose, CommandLineArgument::TYPE_INTEGER, false,
                                            "Verbose level (0-3)"));
    options.AddArgument(CommandLineArgument("-r", kOptionRemove, CommandLineArgument::TYPE_BOOL, false,
                                            "Removes the plugin from all found directories"));
    options.AddArgument(CommandLineArgument("-s", kOptionSilent, CommandLineArgument::TYPE_BOOL, false,
                                            "Installs or removes without any message box; the exit code tells the result"));
    options.AddArgument(CommandLineArgument("-u", kOptionUrl, CommandLineArgument::TYPE_STRING, false,
                                            "Launches the given url"));
    // This "3" belongs to --url, the option declared last. It stays there on purpose: the url is
    // opened only when --url is given, so the default never acts, and --verbose keeps reading 0
    // (trace level 0) when it is not given.
    options.SetDefaultValue("3");
    options.AddArgument(CommandLineArgument("-b", kOptionBaseKey, CommandLineArgument::TYPE_STRING, false,
                                            "My string parameter"));
    options.SetDefaultValue(kDefaultBaseKey);
}

bool silentRequested(const std::string& commandLine, const std::string& optionFile)
{
    CArgv words(commandLine);
    for (int i = 0; i < words.GetArgc(); ++i) {
        const std::string word = words.GetArgv()[i];
        if (word == "-s" || word == kOptionSilent)
            return true;
    }
    const std::string key = std::string(kOptionSilent).substr(2);
    std::string value;
    // A value that is no switch word, or that the code page cannot hold, counts as asking for it: the
    // run then ends with that error, and nobody may be there to click.
    try {
        if (Inifile::GetString(optionFile, kOptionSection, key, value) != Inifile::RC_SUCCESS)
            return false;
        return CommandLineArguments::ParseSwitch(key, value);
    } catch (const std::string&) {
        return true;
    }
}

} // namespace installer
