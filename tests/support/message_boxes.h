#pragma once
// Finding, reading and answering the message boxes of a program, and running a program
// whose boxes are answered from a script.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace testsupport {

struct MessageBoxInfo {
    HWND window = nullptr;
    DWORD processId = 0;
    std::string caption;
    std::string text;
    std::vector<int> buttons; // control ids in dialog order: IDOK, IDCANCEL, IDYES, IDNO, ...
    bool hasIcon = false;     // which icon cannot be read from another process

    // "OK", "Yes/No", ...
    std::string buttonText() const;
    // One line summary for failure messages and transcripts.
    std::string describe() const;
};

std::string buttonName(int id);
// "yes", "no", "ok", "cancel" (any case) -> IDYES, ...; 0 when unknown.
int buttonFromName(const std::string& name);

// All message boxes (class "#32770" with a text control 0xFFFF) currently shown by threads of the
// process (0: of any process).
std::vector<MessageBoxInfo> findMessageBoxes(DWORD processId);
// Waits until a box of the process shows, the process ends or the time runs out.
bool waitForMessageBox(DWORD processId, HANDLE process, DWORD timeoutMs, MessageBoxInfo& box);
// Presses the button and waits until the box is gone.
bool answerMessageBox(const MessageBoxInfo& box, int buttonId, DWORD timeoutMs = 5000);

struct ProgramRun {
    DWORD exitCode = 0;
    bool timedOut = false;
    std::vector<MessageBoxInfo> boxes;
    std::vector<int> answers;
    std::string output; // standard output and standard error of the program
};

struct RunOptions {
    std::string currentFolder;          // empty: the caller's
    DWORD timeoutMs = 60000;
    std::string environment;            // extra "NAME=value" lines separated by '\n', added to the caller's
    // Called for each box as it appears; returns the button to press.
    std::function<void(const MessageBoxInfo&)> onBox;
};

// Starts the command line and answers its boxes in order from the list (button ids); a box beyond the
// list is answered with its first button. Kills the program when the time runs out.
ProgramRun runAnsweringBoxes(const std::string& commandLine, const std::vector<int>& answers,
                             const RunOptions& options = RunOptions());
ProgramRun runAnsweringBoxes(const std::string& commandLine,
                             const std::function<int(const MessageBoxInfo&)>& answerer,
                             const RunOptions& options = RunOptions());

// Quotes a program path or argument for a command line when it holds blanks.
std::string quoteArgument(const std::string& argument);

} // namespace testsupport
