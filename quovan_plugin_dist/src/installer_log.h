#pragma once
// The installer's log file: every line goes to it at verbosity 0. The log remembers whether a line of
// this run did not reach the file (read-only media, a folder of its name, a full disk), so that the
// summary can say so and an old or partial file is never offered as this run's log.

#include <string>

namespace installer {

class InstallerLog {
public:
    explicit InstallerLog(std::string file) : m_File(std::move(file)) {}
    InstallerLog(const InstallerLog&) = delete;
    InstallerLog& operator=(const InstallerLog&) = delete;

    const std::string& file() const { return m_File; }
    void line(const std::string& text);
    // "ERROR::(quovan_plugin_dist.exe) <text>\n"
    void error(const std::string& text);
    // Whether every line of this run reached the file.
    bool complete() const { return m_Complete; }
    // Closes the file, for the mail system to read; the next line opens it again.
    void close();

private:
    std::string m_File;
    bool m_Complete = true;
};

} // namespace installer
