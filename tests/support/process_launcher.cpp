#include "process_launcher.h"

#include "ansi_path.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <stdexcept>

namespace testsupport {

namespace {

// Variable names are compared as Windows does: in any case.
bool startsWithName(const std::string& entry, const std::string& prefix)
{
    return entry.size() >= prefix.size() && lstrcmpiA(entry.substr(0, prefix.size()).c_str(), prefix.c_str()) == 0;
}

// The caller's environment less the dropped variables, with the given ones set over it; empty when the
// options change nothing, so that the program simply inherits the caller's.
std::string environmentBlock(const LaunchOptions& options)
{
    if (options.variables.empty() && options.withoutPrefix.empty())
        return std::string();
    std::vector<std::string> entries;
    {
        const std::unique_ptr<char, decltype(&FreeEnvironmentStringsA)> strings(GetEnvironmentStringsA(),
                                                                                 &FreeEnvironmentStringsA);
        for (const char* entry = strings.get(); entry && *entry; entry += std::strlen(entry) + 1)
            if (options.withoutPrefix.empty() || !startsWithName(entry, options.withoutPrefix))
                entries.emplace_back(entry);
    }
    for (const std::string& variable : options.variables) {
        // From the second character on: "=C:=C:\..." entries name a drive, not a variable.
        const size_t equals = variable.find('=', 1);
        if (equals == std::string::npos)
            throw std::invalid_argument("not NAME=value: " + variable);
        const std::string name = variable.substr(0, equals + 1);
        entries.erase(std::remove_if(entries.begin(), entries.end(),
                                     [&](const std::string& entry) { return startsWithName(entry, name); }),
                      entries.end());
        entries.push_back(variable);
    }
    std::string block;
    for (const std::string& entry : entries)
        block.append(entry).push_back('\0');
    block.push_back('\0');
    return block;
}

std::string narrow(const std::wstring& text)
{
    std::string result(text.size() * 2, '\0');
    const int length = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &result[0],
                                           static_cast<int>(result.size()), nullptr, nullptr);
    result.resize(length > 0 ? static_cast<size_t>(length) : 0);
    return result;
}

// Empty when the process could not be created, with GetLastError() telling why.
template <typename Text>
ChildProcess start(const Text& commandLine, const LaunchOptions& options)
{
    const std::string environment = environmentBlock(options);
    strell::ProcessStartOptions start;
    start.application = strell::toWideText(options.application);
    start.currentFolder = strell::toWideText(options.currentFolder);
    start.environment = environment.empty() ? nullptr : environment.c_str();
    start.output = options.output;
    return ChildProcess(strell::startProcess(commandLine, start));
}

[[noreturn]] void failToStart(const std::string& commandLine, DWORD error)
{
    throw std::runtime_error("cannot start " + commandLine + " (error " + std::to_string(error) + ")");
}

} // namespace

ChildProcess::ChildProcess(strell::StartedProcess started) : m_Process(std::move(started.process)), m_Id(started.id)
{
}

bool ChildProcess::wait(DWORD timeoutMs) const
{
    return WaitForSingleObject(m_Process.get(), timeoutMs) == WAIT_OBJECT_0;
}

DWORD ChildProcess::exitCode() const
{
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(m_Process.get(), &code);
    return code;
}

void ChildProcess::terminate(UINT exitCode)
{
    TerminateProcess(m_Process.get(), exitCode);
    WaitForSingleObject(m_Process.get(), 5000);
}

// Wine's process creation now and then fails with ERROR_INTERNAL_ERROR while the machine is busy
// starting many processes at once; the same call succeeds a moment later. Any other error is real.
template <typename Text>
ChildProcess startRetrying(const Text& commandLine, const LaunchOptions& options)
{
    for (int attempt = 1;; ++attempt) {
        ChildProcess process = start(commandLine, options);
        if (process || GetLastError() != ERROR_INTERNAL_ERROR || attempt == 5)
            return process;
        Sleep(100 * attempt);
    }
}

ChildProcess launch(const std::string& commandLine, const LaunchOptions& options)
{
    ChildProcess process = startRetrying(commandLine, options);
    if (!process) {
        const DWORD error = GetLastError();
        failToStart(commandLine, error);
    }
    return process;
}

ChildProcess launch(const std::wstring& commandLine, const LaunchOptions& options)
{
    ChildProcess process = startRetrying(commandLine, options);
    if (!process) {
        const DWORD error = GetLastError();
        failToStart(narrow(commandLine), error);
    }
    return process;
}

int runAndWait(const std::string& commandLine, DWORD timeoutMs)
{
    ChildProcess process = startRetrying(commandLine, LaunchOptions());
    if (!process)
        return -1;
    if (!process.wait(timeoutMs)) {
        process.terminate(99);
        return -2;
    }
    return static_cast<int>(process.exitCode());
}

} // namespace testsupport
