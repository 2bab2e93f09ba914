// The simulated map host: loads a plug-in the way the real host does and drives it from a script,
// writing everything that happens between host and plug-in to a transcript.
//
// usage: geohostsim --installation <folder> --script <file> [--transcript <file>] [--progid <id>]
//                   [--no-register] [--shell real] [--timing]
//
// The plug-ins of <folder>\bin\PlugIn are registered with regsvr32 (unless --no-register), then the
// plug-in object is created by its programmatic identifier (default "GeoPlugin.quovan") and the
// script runs (see script.h). Without --transcript the transcript goes to standard output.
// Addresses the plug-in opens through the shell are recorded, not opened (--shell real opens them).
// The window messages the plug-in sends are passed on and recorded with their answers; the system
// calls behind its search for windows can be failed from the script (see system_faults.h).
// With --timing every script step is followed by a line "time <ms> ms" with its duration.
// The plug-in's own message boxes are real and wait for an answer, for example from boxdriver.
//
// Exit code: 0 the script ran to its end, 1 the plug-in could not be set up, 2 bad arguments or script.

#include "host_classes.h"
#include "host_state.h"
#include "plugin_session.h"
#include "recorders.h"
#include "script.h"
#include "system_faults.h"

#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Options {
    std::string installation;
    std::string script;
    std::string transcript;
    std::string progId = "GeoPlugin.quovan";
    bool registerPlugIns = true;
    bool recordShell = true;
    bool timing = false;
};

bool parseOptions(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const bool hasValue = i + 1 < argc;
        if (argument == "--installation" && hasValue)
            options.installation = argv[++i];
        else if (argument == "--script" && hasValue)
            options.script = argv[++i];
        else if (argument == "--transcript" && hasValue)
            options.transcript = argv[++i];
        else if (argument == "--progid" && hasValue)
            options.progId = argv[++i];
        else if (argument == "--no-register")
            options.registerPlugIns = false;
        else if (argument == "--shell" && hasValue && std::strcmp(argv[i + 1], "real") == 0)
            options.recordShell = false, ++i;
        else if (argument == "--timing")
            options.timing = true;
        else
            return false;
    }
    return !options.script.empty() && (!options.registerPlugIns || !options.installation.empty());
}

bool readLines(const std::string& path, std::vector<std::string>& lines)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return true;
}

int runHost(const Options& options, hostsim::CHostState& host)
{
    std::vector<std::string> lines;
    if (!readLines(options.script, lines)) {
        host.log("script not readable: " + options.script);
        return 2;
    }
    hostsim::CDebugOutputRecorder debugOutput(host.transcript);
    hostsim::CMessageBoxRecorder messageBoxes(host.transcript);
    hostsim::CHostClasses classes(host);
    if (!classes.registerClasses())
        return 1;

    hostsim::CPlugInSession session(host.transcript);
    if (options.registerPlugIns && !session.registerPlugIns(options.installation))
        return 1;
    if (!session.create(options.progId))
        return 1;
    if (options.recordShell && !hostsim::recordShellExecute(session.module(), host.transcript))
        host.log("shell calls of the plug-in are not recorded");
    if (!hostsim::recordWindowMessages(session.module(), host.transcript))
        host.log("window messages of the plug-in are not recorded");
    if (!hostsim::injectSystemFaults(session.module(), host))
        host.log("system calls of the plug-in cannot be failed");

    int code = 0;
    {
        hostsim::CScript script(host, classes, session, options.progId, options.timing);
        if (!script.run(lines))
            code = 2;
    }
    host.log("end of script");
    session.releaseFactory();
    session.release();
    return code;
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!parseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: geohostsim --installation <folder> --script <file> [--transcript <file>] "
                             "[--progid <id>] [--no-register] [--shell real] [--timing]\n");
        return 2;
    }
    // Never destroyed: a worker thread of the plug-in that outlives the script may still write to the
    // transcript until the process ends.
    hostsim::CHostState& host = *new hostsim::CHostState;
    if (!host.transcript.open(options.transcript)) {
        std::fprintf(stderr, "geohostsim: cannot write %s\n", options.transcript.c_str());
        return 2;
    }
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
        host.log("COM not available");
        return 1;
    }
    const int code = runHost(options, host);
    CoUninitialize();
    host.log("end " + std::to_string(code));
    return code;
}
