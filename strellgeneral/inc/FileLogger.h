#pragma once
// One log file, opened in append mode on the first write; every line is flushed when written and also
// echoed to the debugger output and the console trace.

#include "fileutils.h"

#include <string>

namespace strell {

class CFileLogger {
public:
    // Stores the name; the file is opened by the first write.
    explicit CFileLogger(std::string fileName);
    CFileLogger(const CFileLogger&) = delete;
    CFileLogger& operator=(const CFileLogger&) = delete;

    // Opens the file if needed (and writes the attach line), then writes the line, ending it with a
    // newline if it has none. The text is written as it is, never read as a format. False when the line
    // did not reach the file: it could not be opened (it is tried again with the next line), or the
    // write or its flush failed (a full disk).
    bool write(std::string line);

    const std::string& fileName() const { return m_FileName; }
    bool isOpen() const { return m_Logfile != nullptr; }

private:
    void attach();
    bool output(std::string line);

    std::string m_FileName;
    unique_file m_Logfile;
};

} // namespace strell
