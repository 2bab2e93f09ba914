#include "strell_log.h"

#include "Inifile.h"
#include "strell_exception.h"
#include "strell_trace.h"
#include "stringex.h"

#include <windows.h>

#include <cstdio>

#define STRELL_SOURCE "./src/strell_log"

namespace strell {

const char* const CLog::kOwnLogFile = "strell.log";

const char* CLog::levelName(int level)
{
    switch (level) {
    case LEVEL_INFO:
        return "INFO";
    case LEVEL_ERROR:
        return "ERROR";
    case LEVEL_WARNING:
        return "WARNING";
    case LEVEL_RAW:
        return "RAW";
    default:
        return "";
    }
}

std::string CLog::formatRecord(int level, const std::string& text, const std::string& facility,
                               const std::string& sender)
{
    return formatString("type=%s;text=%s;facility=%s;sender=%s;", levelName(level), text.c_str(), facility.c_str(),
                        sender.c_str());
}

CLog::CLog() : m_DateTimePrefix(true), m_ProgramNamePrefix(true), m_VerboseLevel(0)
{
    try {
        connectToLogServer();
    } catch (const std::string& e) {
        m_Link.reset();
        writeLine(LEVEL_ERROR, formatString("CLog::CLog() - Connect to log server failed: \"%s\"", e.c_str()),
                  kOwnLogFile);
    } catch (...) {
        m_Link.reset();
        writeLine(LEVEL_ERROR, "CLog::CLog() - Connect to log server failed: \"Unknown exception\"", kOwnLogFile);
    }
    debugPrint("CLog::CLog() - module startup!\n");
    writeLine(LEVEL_INFO, "module startup!\n", kOwnLogFile);
}

void CLog::connectToLogServer()
{
    std::string address;
    int port = 0;
    int verboseLevel = 0;
    std::string facilityName;
    Inifile::GetStringThrow("log.ini", "client_info", "address", address);
    Inifile::GetIntThrow("log.ini", "client_info", "port", port);
    Inifile::GetIntThrow("log.ini", "Logging", "VerboseLevel", verboseLevel);
    m_VerboseLevel = verboseLevel;
    Inifile::GetStringThrow("facility.ini", "static_section", "facility_name", facilityName);
    m_Link.reset(new CMessageClientAsync(address, port, false));
    // The facility name read here serves only the overflow message.
    const std::string overflow =
        formatRecord(LEVEL_ERROR, "CLog - overflow (messages dropped)!", facilityName, GetSenderName());
    m_Link->SetOverflowMessage(overflow.c_str(), static_cast<int>(overflow.size()) + 1);
}

CLog::~CLog()
{
    debugPrint("CLog::~CLog() - module shutdown!\n");
    try {
        CLockingProxy<Cpcondition> lock(m_Lock, "CLog::~CLog");
        writeLine(LEVEL_INFO, "module shutdown!\n", kOwnLogFile);
    } catch (const std::string& e) {
        trace("ERROR: %s\n", e.c_str());
    }
    // Lets the sender thread pass the last records on.
    Sleep(100);
    m_Backlog.clear();
    m_Link.reset();
    m_FileLoggers.clear();
}

bool CLog::logLevelled(int level, const std::string& text, const std::string& logfile, const char* scope)
{
    CLockingProxy<Cpcondition> lock(m_Lock, scope);
    return writeLine(level, text, logfile);
}

bool CLog::logRaw(const std::string& text, const std::string& logfile)
{
    CLockingProxy<Cpcondition> lock(m_Lock, "strell::LogRaw");
    return writeFile(logfile, text);
}

void CLog::closeFiles()
{
    // Taken out under the lock, so that no other thread is writing to a logger while it closes.
    std::map<std::string, boost::shared_ptr<CFileLogger>> closing;
    {
        CLockingProxy<Cpcondition> lock(m_Lock, "strell::LogCloseFiles");
        closing.swap(m_FileLoggers);
    }
}

bool CLog::hasLink()
{
    CLockingProxy<Cpcondition> lock(m_Lock, "CLog::hasLink");
    return m_Link != nullptr;
}

size_t CLog::backlogSize()
{
    CLockingProxy<Cpcondition> lock(m_Lock, "CLog::backlogSize");
    return m_Backlog.size();
}

int CLog::queuedRecords()
{
    CLockingProxy<Cpcondition> lock(m_Lock, "CLog::queuedRecords");
    return m_Link ? m_Link->queuedMessages() : 0;
}

bool CLog::writeLine(int level, const std::string& text, const std::string& logfile)
{
    std::string line = formatString("%-7s ", levelName(level));
    if (m_ProgramNamePrefix)
        line += GetSenderName();
    if (m_DateTimePrefix)
        line += " " + getDateTimeText();
    line += " - ";
    line += text;
    const bool written = writeFile(logfile, std::move(line));
    produceRecord(level, text);
    return written;
}

bool CLog::writeFile(const std::string& logfile, std::string line)
{
    boost::shared_ptr<CFileLogger>& logger = m_FileLoggers[logfile];
    if (!logger)
        logger.reset(new CFileLogger(logfile));
    return logger->write(std::move(line));
}

void CLog::produceRecord(int level, const std::string& text)
{
    if (!m_Link)
        return;
    const std::string recordText = replaceAll(";", text, ",");
    const std::string facility = GetFacilityName();
    const std::string sender = GetSenderName();
    if (facility.empty()) {
        // The record waits with its own sender; the facility field is filled in when it is sent.
        m_Backlog.push_back(BacklogRecord{level, recordText, sender});
        if (m_Backlog.size() > kBacklogLimit)
            m_Backlog.pop_front();
        return;
    }
    for (const BacklogRecord& waiting : m_Backlog)
        sendRecord(formatRecord(waiting.level, waiting.text, facility, waiting.sender));
    m_Backlog.clear();
    sendRecord(formatRecord(level, recordText, facility, sender));
}

void CLog::sendRecord(const std::string& record)
{
    m_Link->SendAsync(record.c_str(), static_cast<int>(record.size()) + 1);
}

bool LogError(std::string text, const std::string& logfile)
{
    return CLog::instance()->logLevelled(CLog::LEVEL_ERROR, text, logfile, "strell::LogError");
}

bool LogWarning(std::string text, const std::string& logfile)
{
    return CLog::instance()->logLevelled(CLog::LEVEL_WARNING, text, logfile, "strell::LogWarning");
}

bool LogInfo(std::string text, int verbosity, const std::string& logfile)
{
    CLog* log = CLog::instance();
    return log->verboseLevel() < verbosity || log->logLevelled(CLog::LEVEL_INFO, text, logfile, "strell::LogInfo");
}

bool LogRaw(std::string text, const std::string& logfile)
{
    return CLog::instance()->logRaw(text, logfile);
}

void LogErrorBox(std::string text, const std::string& logfile)
{
    MessageBoxA(nullptr, text.c_str(), "Error", MB_ICONERROR);
    LogError(text, logfile);
}

void LogCloseFiles()
{
    CLog::instance()->closeFiles();
}

} // namespace strell
