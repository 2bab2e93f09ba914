#include "log_helper_run.h"

#include "message_boxes.h"
#include "test_support.h"

#include <regex>

namespace logtest {

HelperRun runHelper(const std::string& folder, const std::vector<std::string>& steps, DWORD timeoutMs)
{
    std::string commandLine = testsupport::quoteArgument(testsupport::programFolder() + "\\log_helper.exe");
    for (const std::string& step : steps)
        commandLine += " \"" + step + "\"";
    testsupport::RunOptions options;
    options.currentFolder = folder;
    options.timeoutMs = timeoutMs;
    const testsupport::ProgramRun run = testsupport::runAnsweringBoxes(commandLine, std::vector<int>(), options);
    HelperRun result;
    result.exitCode = run.exitCode;
    result.timedOut = run.timedOut;
    result.output = run.output;
    return result;
}

std::string logText(const std::string& path)
{
    std::string text = testsupport::readFile(path);
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n'))
            out += text[i];
    return out;
}

std::vector<std::string> logLines(const std::string& path)
{
    return testsupport::splitLines(logText(path));
}

void writeLogIni(const std::string& folder, const std::string& address, int port, int verboseLevel)
{
    std::string text;
    if (!address.empty())
        text += "[client_info]\naddress=" + address + "\nport=" + std::to_string(port) + "\n";
    text += "[Logging]\nVerboseLevel=" + std::to_string(verboseLevel) + "\n";
    testsupport::writeFile(folder + "\\log.ini", text);
}

void writeFacilityIni(const std::string& folder, const std::string& facility)
{
    testsupport::writeFile(folder + "\\facility.ini", "[static_section]\nfacility_name=" + facility + "\n");
}

bool waitForFile(const std::string& path, DWORD timeoutMs)
{
    for (DWORD waited = 0; waited < timeoutMs; waited += 10) {
        if (testsupport::exists(path))
            return true;
        Sleep(10);
    }
    return testsupport::exists(path);
}

void createFile(const std::string& path)
{
    testsupport::writeFile(path, "");
}

namespace {
const std::regex& prefixPattern()
{
    static const std::regex pattern("^([A-Z]*) *log_helper\\.exe \\d\\d\\.\\d\\d\\.\\d{4} \\d\\d:\\d\\d:\\d\\d - ");
    return pattern;
}
} // namespace

bool hasLinePrefix(const std::string& line, const std::string& level)
{
    std::string padded = level;
    padded.resize(7, ' ');
    padded += ' ';
    std::smatch match;
    return line.compare(0, padded.size(), padded) == 0 && std::regex_search(line, match, prefixPattern()) &&
           match[1] == level;
}

std::string lineText(const std::string& line)
{
    std::smatch match;
    if (!std::regex_search(line, match, prefixPattern()))
        return std::string();
    return match.suffix();
}

} // namespace logtest
