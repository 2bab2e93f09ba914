#include "plugin_test_support.h"

#include "win32_handles.h"

#include <windows.h>

#include <algorithm>
#include <stdexcept>

namespace plugintest {

namespace {

// Build paths are Unix paths; inside Wine they live on drive Z:.
std::string windowsPath(std::string path)
{
    std::replace(path.begin(), path.end(), '/', '\\');
    return !path.empty() && path[0] == '\\' ? "Z:" + path : path;
}

} // namespace

std::string plugInDll()
{
    return windowsPath(QUOVAN_DLL);
}

std::string hostProgram()
{
    return windowsPath(GEOHOSTSIM_EXE);
}

RegistryLock::RegistryLock() : m_Mutex(CreateMutexA(nullptr, FALSE, "quovan_plugin_tests_registry"))
{
    if (!m_Mutex)
        throw std::runtime_error("registry lock not created");
    const DWORD wait = WaitForSingleObject(m_Mutex.get(), 110000);
    if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED)
        throw std::runtime_error("registry lock not acquired");
}

RegistryLock::~RegistryLock()
{
    ReleaseMutex(m_Mutex.get());
}

Installation::Installation(const std::string& plugInName) : m_Folder("geo")
{
    const std::string bin = m_Folder.file("bin");
    const std::string plugIns = bin + "\\PlugIn";
    CreateDirectoryA(bin.c_str(), nullptr);
    CreateDirectoryA(plugIns.c_str(), nullptr);
    m_PlugInPath = plugIns + "\\" + plugInName;
    if (!CopyFileA(plugInDll().c_str(), m_PlugInPath.c_str(), FALSE))
        throw std::runtime_error("cannot copy the plug-in to " + m_PlugInPath);
}

bool HostRun::has(const std::string& line) const
{
    return std::find(transcript.begin(), transcript.end(), line) != transcript.end();
}

std::vector<std::string> HostRun::step(const std::string& command, int occurrence) const
{
    std::vector<std::string> lines;
    int seen = 0;
    bool inside = false;
    for (const std::string& line : transcript) {
        if (line == "end of script" || line.compare(0, 20, "longest unanswered: ") == 0)
            break;
        if (line.compare(0, 2, "> ") == 0) {
            if (inside)
                break;
            inside = line.substr(2) == command && ++seen == occurrence;
            continue;
        }
        if (inside)
            lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> HostRun::starting(const std::string& prefix) const
{
    std::vector<std::string> lines;
    for (const std::string& line : transcript)
        if (line.compare(0, prefix.size(), prefix) == 0)
            lines.push_back(line);
    return lines;
}

std::string HostRun::dump() const
{
    std::string text = "exit " + std::to_string(exitCode) + "\n";
    for (const std::string& line : transcript)
        text += line + "\n";
    for (const testsupport::MessageBoxInfo& box : boxes)
        text += "box: " + box.describe() + "\n";
    return text + output;
}

HostRun runHost(const Installation& installation, const std::string& script, std::vector<int> answers,
                const std::string& extraArguments)
{
    const std::string scriptPath = installation.folder() + "\\script.txt";
    const std::string transcriptPath = installation.folder() + "\\transcript.txt";
    testsupport::writeFile(scriptPath, script);
    DeleteFileA(transcriptPath.c_str());
    const std::string commandLine = testsupport::quoteArgument(hostProgram()) + " --installation " +
                                    testsupport::quoteArgument(installation.folder()) + " --script " +
                                    testsupport::quoteArgument(scriptPath) + " --transcript " +
                                    testsupport::quoteArgument(transcriptPath) +
                                    (extraArguments.empty() ? "" : " " + extraArguments);
    testsupport::RunOptions options;
    options.timeoutMs = 60000;
    const testsupport::ProgramRun program = testsupport::runAnsweringBoxes(commandLine, answers, options);
    HostRun run;
    run.exitCode = program.exitCode;
    run.timedOut = program.timedOut;
    run.boxes = program.boxes;
    run.output = program.output;
    run.transcript = testsupport::splitLines(testsupport::readFile(transcriptPath));
    return run;
}

bool keyExists(const std::string& key)
{
    strell::unique_hkey handle;
    return RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, handle.put()) == ERROR_SUCCESS;
}

std::string defaultValue(const std::string& key)
{
    char value[1024] = {};
    LONG size = sizeof value;
    if (RegQueryValueA(HKEY_CLASSES_ROOT, key.c_str(), value, &size) != ERROR_SUCCESS)
        return "<missing>";
    return value;
}

std::vector<std::string> subKeys(const std::string& key)
{
    std::vector<std::string> names;
    strell::unique_hkey handle;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, handle.put()) != ERROR_SUCCESS)
        return names;
    char name[256];
    for (DWORD i = 0; RegEnumKeyA(handle.get(), i, name, sizeof name) == ERROR_SUCCESS; ++i)
        names.push_back(name);
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> valueNames(const std::string& key)
{
    std::vector<std::string> names;
    strell::unique_hkey handle;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, handle.put()) != ERROR_SUCCESS)
        return names;
    char name[256];
    DWORD length = sizeof name;
    for (DWORD i = 0; RegEnumValueA(handle.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
         ++i, length = sizeof name)
        names.push_back(name);
    return names;
}

} // namespace plugintest
