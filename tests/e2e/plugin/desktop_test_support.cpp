#include "desktop_test_support.h"

#include "message_boxes.h"
#include "stringex.h"
#include "strell_process.h"
#include "win32_handles.h"

#include <cstdio>
#include <stdexcept>

namespace desktoptest {

namespace {

const char* const kSettingsKey = "Software\\telvor\\quovan";

void writeValue(const std::string& name, DWORD type, const void* data, DWORD size)
{
    strell::unique_hkey key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_WRITE, nullptr, key.put(), nullptr) !=
            ERROR_SUCCESS ||
        RegSetValueExA(key.get(), name.c_str(), 0, type, static_cast<const BYTE*>(data), size) != ERROR_SUCCESS)
        throw std::runtime_error("cannot write the desktop setting " + name);
}

// The double writes "\\" for a backslash and "\xNN" for bytes outside the printable range.
std::string unescape(const std::string& text)
{
    std::string bytes;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '\\') {
            bytes += '\\';
            ++i;
        } else if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x') {
            bytes += static_cast<char>(std::stoi(text.substr(i + 2, 2), nullptr, 16));
            i += 3;
        } else {
            bytes += text[i];
        }
    }
    return bytes;
}

bool isDesktopDouble(const strell::ProcessInfo& process)
{
    const std::string program = strell::toLower(process.ExeModuleInfo.BaseName);
    return program == "quovan.exe" || program == kForeignProgram;
}

} // namespace

std::string desktopDouble()
{
    return testsupport::winPath(DESKTOP_DOUBLE_EXE);
}

DesktopSettings::DesktopSettings()
{
    remove();
}

DesktopSettings::~DesktopSettings()
{
    remove();
}

void DesktopSettings::install(const std::string& startCommandLine)
{
    setText("folder", testsupport::programFolder());
    setText("startcommandline", startCommandLine);
}

void DesktopSettings::setText(const std::string& name, const std::string& text, DWORD type)
{
    writeValue(name, type, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

void DesktopSettings::setNumber(const std::string& name, DWORD value)
{
    writeValue(name, REG_DWORD, &value, sizeof value);
}

void DesktopSettings::setBytes(const std::string& name, const std::string& bytes, DWORD type)
{
    writeValue(name, type, bytes.data(), static_cast<DWORD>(bytes.size()));
}

void DesktopSettings::remove()
{
    RegDeleteKeyA(HKEY_CURRENT_USER, kSettingsKey);
}

void endDesktopDoubles()
{
    // The process list names every process, 64-bit ones beside this 32-bit test too.
    strell::ProcessInfoList processes;
    strell::getProcessList(processes);
    for (const strell::ProcessInfo& process : processes) {
        if (!isDesktopDouble(process))
            continue;
        strell::unique_process handle(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, process.ProcessId));
        if (!handle)
            continue;
        TerminateProcess(handle.get(), 0);
        WaitForSingleObject(handle.get(), 5000);
    }
}

std::vector<Received> readRecord(const std::string& path)
{
    std::vector<Received> record;
    for (const std::string& line : testsupport::splitLines(testsupport::readFile(path))) {
        if (line.empty())
            continue;
        Received received;
        received.line = line;
        unsigned long processId = 0;
        if (std::sscanf(line.c_str(), "start pid=%lu", &processId) == 1) {
            received.kind = "start";
            const size_t commandLine = line.find(" commandline=");
            if (commandLine != std::string::npos)
                received.data = unescape(line.substr(commandLine + 13));
        } else if (std::sscanf(line.c_str(), "end pid=%lu", &processId) == 1) {
            received.kind = "end";
        } else {
            char marker[16] = {};
            if (std::sscanf(line.c_str(), "pid=%lu window=%d marker=%15s tag=%u length=%u answer=%ld", &processId,
                            &received.window, marker, &received.tag, &received.length, &received.answer) != 6)
                throw std::runtime_error("unexpected record line: " + line);
            received.kind = "command";
            received.marker = marker;
            received.data = unescape(line.substr(line.find(" data=") + 6));
        }
        received.processId = processId;
        record.push_back(received);
    }
    return record;
}

std::vector<std::string> commandsIn(const std::vector<Received>& record)
{
    std::vector<std::string> commands;
    for (const Received& received : record) {
        if (received.kind != "command")
            continue;
        const std::string& data = received.data;
        commands.push_back(!data.empty() && data.back() == '\0' ? data.substr(0, data.size() - 1) : data);
    }
    return commands;
}

const char* const kMarkArea = "menu 2070\nclick 100 50\nclick 200 150\n";
const char* const kAreaPart = "area=10.100000@47.950000@10.200000@47.850000;";

std::string ExportTest::doubleCommand(const std::string& arguments, const std::string& record) const
{
    return testsupport::quoteArgument(desktopDouble()) + " --record " + testsupport::quoteArgument(file(record)) +
           (arguments.empty() ? "" : " " + arguments);
}

std::unique_ptr<RunningDouble> ExportTest::runDouble(const std::string& arguments, const std::string& record,
                                                     const std::string& program) const
{
    return std::make_unique<RunningDouble>(program, arguments + " --record " + testsupport::quoteArgument(file(record)));
}

std::vector<std::string> ExportTest::received(const std::string& record) const
{
    return commandsIn(readRecord(file(record)));
}

plugintest::HostRun ExportTest::run(const std::string& script, std::vector<int> answers,
                                    const std::string& extraArguments)
{
    plugintest::RegistryLock lock;
    plugintest::HostRun result = plugintest::runHost(m_Installation, "initialise\n" + script, answers, extraArguments);
    EXPECT_FALSE(result.timedOut) << result.dump();
    EXPECT_EQ("end 0", result.transcript.empty() ? "" : result.transcript.back()) << result.dump();
    return result;
}

std::vector<std::string> messagesOf(const plugintest::HostRun& run)
{
    return run.starting("message ");
}

} // namespace desktoptest
