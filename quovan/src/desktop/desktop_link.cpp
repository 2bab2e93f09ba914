#include "desktop/desktop_link.h"

#include "com/debug_out.h"
#include "desktop/desktop_settings.h"
#include "desktop/desktop_windows.h"
#include "strell_process_start.h"
#include "win32_handles.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace {

const char* const kTitlePattern = "Quovan";
const char* const kProgramPattern = "quovan.exe";
const ULONG_PTR kMessageMarker = 0xAABBCCDD;

// Start and exit look for the program's windows this often, up to these totals.
const DWORD kPollInterval = 100;
const DWORD kStartWait = 5000;
const DWORD kExitWait = 2000;
// How long a terminated program gets to go before its windows are looked at again.
const DWORD kTerminateWait = 1000;

bool contains(const strell::WindowList& windows, HWND window)
{
    return std::find(windows.begin(), windows.end(), window) != windows.end();
}

// Terminates the processes and waits a little for their end, so that their windows are gone from the
// next search. The calling process is spared.
void terminateProcesses(const strell::ProcessIdList& ids, DWORD wait)
{
    for (DWORD id : ids) {
        if (id == GetCurrentProcessId())
            continue;
        strell::unique_process process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id));
        if (!process)
            continue;
        debugOut("Quovan Desktop does not answer: process %lu terminated", static_cast<unsigned long>(id));
        if (TerminateProcess(process.get(), 0))
            WaitForSingleObject(process.get(), wait);
    }
}

} // namespace

CDesktopLink::CDesktopLink(const std::atomic<bool>* stop)
    : m_TitlePattern(kTitlePattern), m_ProgramPattern(kProgramPattern), m_Marker(kMessageMarker),
      m_Begin(GetTickCount()), m_Stop(stop)
{
    refresh();
}

void CDesktopLink::refresh()
{
    m_Windows = findDesktopWindows(m_TitlePattern, m_ProgramPattern);
}

DWORD CDesktopLink::budgetLeft() const
{
    const DWORD spent = GetTickCount() - m_Begin;
    return spent < kLinkBudgetMs ? kLinkBudgetMs - spent : 0;
}

DWORD CDesktopLink::deadlineLeft() const
{
    const DWORD spent = GetTickCount() - m_Begin;
    return spent < kExchangeDeadlineMs ? kExchangeDeadlineMs - spent : 0;
}

bool CDesktopLink::stopped() const
{
    return (m_Stop && m_Stop->load()) || deadlineLeft() == 0;
}

bool CDesktopLink::isSilent(HWND window) const
{
    return contains(m_Silent, window);
}

bool CDesktopLink::hasAnswered(HWND window) const
{
    return contains(m_Answered, window);
}

bool CDesktopLink::hasAnsweringWindow() const
{
    return std::any_of(m_Windows.begin(), m_Windows.end(), [this](HWND window) { return !isSilent(window); });
}

int32_t CDesktopLink::send(const std::string& command)
{
    COPYDATASTRUCT data = {};
    data.dwData = 0;
    data.cbData = static_cast<DWORD>(command.size() + 1);
    data.lpData = const_cast<char*>(command.c_str());
    // Added up with wrap-around, as 32-bit answers are.
    uint32_t sum = 0;
    for (HWND window : m_Windows) {
        if (isSilent(window))
            continue;
        if (m_Stop && m_Stop->load())
            break;
        // The budget bounds the wait for a window that has not answered yet; one that has is given
        // its full time, so that a slow program still gets every command of the export, up to the
        // deadline of the whole exchange.
        const DWORD wait = std::min(hasAnswered(window) ? kAnswerWaitMs : std::min(kAnswerWaitMs, budgetLeft()),
                                    deadlineLeft());
        if (wait == 0) {
            m_CutShort = true;
            continue;
        }
        DWORD_PTR answer = 0;
        if (SendMessageTimeoutA(window, WM_COPYDATA, static_cast<WPARAM>(m_Marker), reinterpret_cast<LPARAM>(&data),
                                SMTO_NORMAL | SMTO_ABORTIFHUNG, wait, &answer)) {
            sum += static_cast<uint32_t>(answer);
            if (!hasAnswered(window))
                m_Answered.push_back(window);
        } else if (IsWindow(window) && wait == kAnswerWaitMs) {
            // Hung, or too slow to tell apart from hung; a window cut short by the budget is not.
            debugOut("Quovan Desktop window does not answer \"%s\"", command.c_str());
            m_Silent.push_back(window);
        } else if (IsWindow(window)) {
            m_CutShort = true;
        }
    }
    return static_cast<int32_t>(sum);
}

bool CDesktopLink::isIdle()
{
    return send("name=druvidle") != 0;
}

int32_t CDesktopLink::getVersion()
{
    return send("name=druvversion");
}

bool CDesktopLink::start()
{
    const std::string commandLine = readDesktopSetting("startcommandline");
    if (commandLine.empty() || stopped())
        return false;

    strell::ProcessStartOptions options;
    options.creationFlags = NORMAL_PRIORITY_CLASS;
    // The program runs on its own; its handles are not kept.
    const bool started = static_cast<bool>(strell::startProcess(commandLine, options));
    if (!started) {
        debugOut("Quovan Desktop not started: %s", strell::getWin32ErrorText(GetLastError()).c_str());
    }

    // Waited for even when nothing was started: a program starting by other means may come up.
    for (DWORD waited = 0; waited < kStartWait && budgetLeft() > 0 && !stopped(); waited += kPollInterval) {
        Sleep(kPollInterval);
        refresh();
        if (!m_Windows.empty() && isIdle())
            break;
    }
    return started;
}

bool CDesktopLink::exit()
{
    if (m_Windows.empty())
        return false;
    const int32_t answer = send("name=exit");
    // Waiting helps only while a window that answers is there.
    for (DWORD waited = 0; waited < kExitWait && hasAnsweringWindow() && budgetLeft() > 0 && !stopped();
         waited += kPollInterval) {
        Sleep(kPollInterval);
        refresh();
    }
    terminateSilentPrograms();
    return answer > 0;
}

// A program is terminated only when none of its listed windows answers.
void CDesktopLink::terminateSilentPrograms()
{
    strell::WindowList silent, answering;
    for (HWND window : m_Windows)
        (isSilent(window) ? silent : answering).push_back(window);
    if (silent.empty() || stopped())
        return;
    strell::ProcessIdList hung, alive;
    strell::getProcessIdsOfWindows(silent, false, hung);
    strell::getProcessIdsOfWindows(answering, false, alive);
    strell::ProcessIdList doomed;
    for (DWORD id : hung)
        if (!strell::isProcessIdInList(alive, id))
            doomed.push_back(id);
    terminateProcesses(doomed, std::min(kTerminateWait, budgetLeft()));
    refresh();
}

bool CDesktopLink::restart()
{
    exit();
    if (hasAnsweringWindow()) {
        debugOut("Quovan Desktop still runs after the request to quit: not started again");
        return false;
    }
    return start();
}

Delivery CDesktopLink::deliver(const std::string& command)
{
    if (!isIdle()) {
        refresh();
        if (!isIdle()) {
            // Not ready only when the windows said so; one that was not waited for in full did not.
            if (m_CutShort)
                return Delivery::TooSlow;
            // Busy (for instance with a phone): it must neither be stopped nor get a second instance.
            if (hasAnsweringWindow()) {
                debugOut("Quovan Desktop is busy");
                return Delivery::Busy;
            }
            if (!restart())
                return m_CutShort ? Delivery::TooSlow : Delivery::Unreachable;
        }
    }
    if (send(command) > 0)
        return Delivery::Accepted;
    return m_CutShort ? Delivery::TooSlow : Delivery::Refused;
}

DesktopVersion checkDesktopVersion(CDesktopLink& link)
{
    int32_t version = link.getVersion();
    if (version == 0) {
        if (!link.restart())
            return DesktopVersion::Unknown;
        version = link.getVersion();
    }
    if (version == 0)
        return DesktopVersion::Unknown;
    return version >= kMinimumDesktopVersion ? DesktopVersion::Recent : DesktopVersion::TooOld;
}
