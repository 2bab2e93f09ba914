// The installer: installs quovan.dll into every Geogrid map product the registry names, or removes
// it with --remove. Every exchange with the user is a message box.

#include "messages.h"
#include "options.h"

#include "strell_systeminfo.h"
#include "stringex.h"

#include <windows.h>

#include <shellapi.h>

#include <exception>
#include <string>

namespace {

int showHelp(const CommandLineArguments& options)
{
    const std::string text = installer::kHelpIntro + options.GetHelpText("");
    MessageBoxA(nullptr, text.c_str(), installer::kCaptionHelp, MB_OK);
    return 0;
}

int openUrl(const std::string& url)
{
    // The shell's result is of no concern: the run ends here either way.
    ShellExecuteA(nullptr, "open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return 0;
}

int reportError(const std::string& text)
{
    MessageBoxA(nullptr, text.c_str(), installer::kCaptionError, MB_OK);
    return 1;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int)
{
    const std::string logFile = strell::joinPath(strell::getExecutableFolder(), installer::kLogFileName);
    try {
        CommandLineArguments options;
        installer::declareOptions(options);
        // "dummy" stands in for the program name; -ver / --version ends the process in here.
        options.ParseCommandLine(std::string("dummy ") + (commandLine ? commandLine : ""));
        if (options.GetBool(installer::kOptionHelp))
            return showHelp(options);
        options.Validate();
        if (options.GetBool(installer::kOptionUrl))
            return openUrl(options.GetString(installer::kOptionUrl));

        return 0;
    } catch (const std::string& text) {
        return reportError(text);
    } catch (const std::exception& e) {
        return reportError(e.what());
    } catch (...) {
        return reportError(installer::kUnknownError);
    }
}
