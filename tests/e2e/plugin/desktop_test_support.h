#pragma once
// Pieces of the tests between plug-in and desktop program: the desktop program's settings in the
// registry, desktop doubles started by a test, their records, and the end of every double that a
// test leaves behind.

#include "cross_bitness.h"
#include "plugin_test_support.h"
#include "process_launcher.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace desktoptest {

// The desktop double of this build (quovan.exe), as a Windows path.
std::string desktopDouble();
// File name of a copy of the double that plays another program with a "Quovan" window.
const char* const kForeignProgram = "kartenansicht.exe";

// HKEY_CURRENT_USER\Software\telvor\quovan for one test: removed when made and when gone.
class DesktopSettings {
public:
    DesktopSettings();
    ~DesktopSettings();
    DesktopSettings(const DesktopSettings&) = delete;
    DesktopSettings& operator=(const DesktopSettings&) = delete;

    // "folder" and "startcommandline" as an installation leaves them.
    void install(const std::string& startCommandLine);
    void setText(const std::string& name, const std::string& text, DWORD type = REG_SZ);
    void setNumber(const std::string& name, DWORD value);
    void setBytes(const std::string& name, const std::string& bytes, DWORD type = REG_BINARY);
    static void remove();
};

// Ends every running desktop double and every copy of it under kForeignProgram, and waits until
// they are gone: a double left behind would answer the next test.
void endDesktopDoubles();

// A double started by the test itself; running once its windows exist, ended with the object.
using RunningDouble = testsupport::RunningDesktopDouble;

// One line of a double's record file.
struct Received {
    std::string kind;     // "start", "end" or "command"
    DWORD processId = 0;
    int window = -1;
    std::string marker;   // as recorded, e.g. "AABBCCDD"
    unsigned tag = 0;
    unsigned length = 0;
    long answer = 0;
    std::string data;     // the bytes received (a command) or the command line (start)
    std::string line;     // the whole line as the double wrote it
};

std::vector<Received> readRecord(const std::string& path);
// The texts of the commands in order, each without its terminating zero byte.
std::vector<std::string> commandsIn(const std::vector<Received>& record);

// A test of the export command: its own desktop settings, no desktop double before or after it, a
// host installation with the plug-in and a record file for the doubles.
class ExportTest : public ::testing::Test {
protected:
    void SetUp() override { endDesktopDoubles(); }
    void TearDown() override { endDesktopDoubles(); }

    // The command line of a double that records into the file (default: record.txt of the test).
    std::string doubleCommand(const std::string& arguments = std::string(), const std::string& record = "record.txt") const;
    std::string file(const std::string& name) const { return m_Folder.file(name); }
    // A double started by the test with the arguments, recording into the file of the test.
    std::unique_ptr<RunningDouble> runDouble(const std::string& arguments, const std::string& record = "record.txt",
                                             const std::string& program = desktopDouble()) const;
    // The texts of the commands that the record file of the test (or the named one) holds.
    std::vector<std::string> received(const std::string& record = "record.txt") const;

    // Runs the simulated host with "initialise" followed by the script; boxes answered in order.
    plugintest::HostRun run(const std::string& script, std::vector<int> answers = {},
                            const std::string& extraArguments = std::string());

    testsupport::TempDir m_Folder{"desk"};
    DesktopSettings m_Settings;
    plugintest::Installation m_Installation;
};

// The host's script lines that mark the area from view position 100,50 to 200,150, and the area
// part of the export command for it.
extern const char* const kMarkArea;
extern const char* const kAreaPart;

// The window messages of a run ("message ..." lines of the transcript).
std::vector<std::string> messagesOf(const plugintest::HostRun& run);

} // namespace desktoptest
