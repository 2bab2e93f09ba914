#pragma once
// The process-wide log: every call writes one line into a named log file and, for the levelled calls,
// produces one record for the log server. Lines look like
//   "INFO    <program> dd.mm.yyyy hh:mm:ss - <text>"
// and records like "type=INFO;text=<text, ';' as ','>;facility=<facility>;sender=<program>;".
// The facade reads "log.ini" (client_info: address, port; Logging: VerboseLevel) and "facility.ini"
// (static_section: facility_name) when it is first used.

#include "FileLogger.h"
#include "MessageClient.h"
#include "ObjectLifetimeManager.h"
#include "strell_pthread.h"

#include <boost/shared_ptr.hpp>

#include <deque>
#include <map>
#include <string>

namespace strell {

// Each returns false when the line was meant for the file but did not reach it (see CFileLogger::write).
bool LogError(std::string text, const std::string& logfile);
bool LogWarning(std::string text, const std::string& logfile);
// Writes only when the configured VerboseLevel is at least the verbosity; a line left out by the level
// counts as written.
bool LogInfo(std::string text, int verbosity, const std::string& logfile);
// The text alone, without level, prefix or record.
bool LogRaw(std::string text, const std::string& logfile);
// Shows the text in an "Error" box, then logs it as LogError does.
void LogErrorBox(std::string text, const std::string& logfile);
// Closes every open log file; the next line for a file opens it again. Safe while other threads log.
void LogCloseFiles();

// Process-wide names carried by the records (at most 255 characters each).
void SetFacilityName(std::string name);
std::string GetFacilityName();
void SetSenderName(std::string name);
// Initially the file name of the program.
std::string GetSenderName();

class CLog : public CLifetimeManagedSingletonBase<CLog> {
public:
    enum Level { LEVEL_INFO = 1, LEVEL_ERROR = 2, LEVEL_WARNING = 3, LEVEL_RAW = 4 };
    // The facade's own messages.
    static const char* const kOwnLogFile;
    // Records waiting for the facility name.
    static constexpr size_t kBacklogLimit = 19;

    // "INFO", "ERROR", "WARNING", "RAW", or "" for any other code.
    static const char* levelName(int level);
    static std::string formatRecord(int level, const std::string& text, const std::string& facility,
                                    const std::string& sender);

    // Writes the line and produces the record under the facade's lock (scope name as given).
    // Both return whether the line reached the file.
    bool logLevelled(int level, const std::string& text, const std::string& logfile, const char* scope);
    bool logRaw(const std::string& text, const std::string& logfile);
    void closeFiles();

    int verboseLevel() const { return m_VerboseLevel; }
    bool hasLink();
    size_t backlogSize();
    // Records in the link's outgoing queue; 0 without a link.
    int queuedRecords();

private:
    friend class CLifetimeManagedSingletonBase<CLog>;
    CLog();
    ~CLog() override;

    struct BacklogRecord {
        int level;
        std::string text;
        std::string sender;
    };

    void connectToLogServer();
    // Both without the lock: callers hold it.
    bool writeLine(int level, const std::string& text, const std::string& logfile);
    void produceRecord(int level, const std::string& text);
    bool writeFile(const std::string& logfile, std::string line);
    void sendRecord(const std::string& record);

    Cpcondition m_Lock;
    const bool m_DateTimePrefix;
    const bool m_ProgramNamePrefix;
    int m_VerboseLevel;
    std::map<std::string, boost::shared_ptr<CFileLogger>> m_FileLoggers;
    boost::shared_ptr<CMessageClientAsync> m_Link;
    std::deque<BacklogRecord> m_Backlog;
};

} // namespace strell
