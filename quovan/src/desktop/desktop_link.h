#pragma once
// The link to the desktop program: finds its windows, sends it text commands as WM_COPYDATA
// messages, starts it from its registered command line and stops it. A link lives for one export
// command and carries whatever command text it is given. The process and window functions it uses
// report their failures as strell::exception.
//
// It runs on a worker thread of the plug-in while the host's interface thread goes on (see
// wait/modal_wait.h). Every wait is bounded: a window gets kAnswerWaitMs to answer (less when it is
// considered hung), and a window that did not answer in time counts as answering 0 and is not asked
// again. Waiting for what does not come (a window's first answer, a program to start or to go) ends
// with the link's budget of kLinkBudgetMs; a window that has answered keeps its full kAnswerWaitMs for
// further commands, so that a slow program is not cut short. The whole exchange of one link ends at
// kExchangeDeadlineMs, whatever the windows and commands; a link that was asked to stop sends nothing
// more and waits for nothing more.

#include "strell_process.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

// The oldest desktop program that takes exports: version 0.95, answered as 95.
const int32_t kMinimumDesktopVersion = 95;

// The wait for one window's answer, and for everything one link waits for in vain.
const DWORD kAnswerWaitMs = 3000;
const DWORD kLinkBudgetMs = 8000;
// The whole exchange of one link: two windows answering each command after 2.9 s still make it, also
// when the program must be started first (about 24 s).
const DWORD kExchangeDeadlineMs = 30000;

// What became of a command handed over for delivery.
enum class Delivery {
    Accepted,    // the program answered with a number above 0
    Refused,     // the program answered 0 or less
    Busy,        // the program answers, but not that it is ready; it was left alone
    Unreachable, // no program that could take it: none to start, or one still there that would not quit
    TooSlow,     // a window was cut short by the budget or the deadline: not answering in time
};

class CDesktopLink {
public:
    // Finds the desktop program's windows. Once *stop is set (by another thread), nothing more is sent
    // or waited for.
    explicit CDesktopLink(const std::atomic<bool>* stop = nullptr);

    // Rebuilds the list of the desktop program's windows: windows whose title matches "Quovan" and
    // whose process runs a program whose path matches "quovan.exe" (see desktop_windows.h).
    void refresh();
    // Sends the command to every listed window that has not failed to answer before and adds up
    // their answers; 0 without windows.
    int32_t send(const std::string& command);

    bool isIdle();
    // The version times 100; 0 when the program does not answer.
    int32_t getVersion();
    // Starts the program from its registered command line and waits up to 5 s until it is ready.
    // False when there is no command line or the process could not be created.
    bool start();
    // Asks the program to quit and waits up to 2 s for its windows to go. Then terminates the
    // programs whose windows did not answer in time (hung); a program that answers is never
    // terminated. Whether the program accepted the request.
    bool exit();
    // Exit, then start; false, and nothing started, when a program that answers is still there.
    bool restart();
    // Sends the command once the program is ready, starting it first when it is not running or hung.
    // A program that answers but is not ready is left alone.
    Delivery deliver(const std::string& command);

    const strell::WindowList& windows() const { return m_Windows; }
    // Whether a listed window has answered every command sent to it (so far).
    bool hasAnsweringWindow() const;
    // Whether a window was not asked or not waited for in full because the budget or the deadline ran
    // out: what it would have answered is unknown.
    bool wasCutShort() const { return m_CutShort; }

private:
    bool isSilent(HWND window) const;
    bool hasAnswered(HWND window) const;
    // What is left of the link's budget, in ms.
    DWORD budgetLeft() const;
    // What is left of the exchange's deadline, in ms.
    DWORD deadlineLeft() const;
    // Asked to stop, or past the deadline.
    bool stopped() const;
    void terminateSilentPrograms();

    std::string m_TitlePattern;
    std::string m_ProgramPattern;
    strell::WindowList m_Windows;
    ULONG_PTR m_Marker;
    strell::WindowList m_Silent;   // windows that did not answer within kAnswerWaitMs
    strell::WindowList m_Answered; // windows that have answered a command of this link
    DWORD m_Begin;                 // tick count at construction
    const std::atomic<bool>* m_Stop;
    bool m_CutShort = false;
};

// What the version question found out.
enum class DesktopVersion {
    Recent,  // 0.95 or later
    TooOld,  // a version below 0.95 was answered
    Unknown, // no version was answered, not even after a restart
};

// Asks the version; a program that does not answer it is restarted and asked again.
DesktopVersion checkDesktopVersion(CDesktopLink& link);
