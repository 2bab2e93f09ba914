#include "desktop/desktop_link.h"

#include "com/debug_out.h"
#include "desktop/desktop_settings.h"
#include "export/export_text.h"
#include "win32_handles.h"

#include <utility>
#include <vector>

namespace {

const char* const kTitlePattern = "Quovan";
const char* const kProgramPattern = "quovan.exe";
const ULONG_PTR kMessageMarker = 0xAABBCCDD;

const DWORD kPollInterval = 500;
const int kStartPolls = 10;
const int kExitPolls = 4;

} // namespace

CDesktopLink::CDesktopLink()
    : m_TitlePattern(kTitlePattern), m_ProgramPattern(kProgramPattern), m_Marker(kMessageMarker)
{
    refresh();
}

void CDesktopLink::refresh()
{
    m_Windows.clear();

    strell::WindowList titled;
    strell::getWindowList(titled);
    if (!m_TitlePattern.empty())
        strell::filterWindowsByTitle(titled, m_TitlePattern, false, titled);

    strell::ProcessIdList owners;
    strell::getProcessIdsOfWindows(std::move(titled), true, owners);
    strell::ProcessInfoList processes;
    strell::getProcessInfoList(owners, processes);
    strell::filterProcessInfo(processes, processes, m_ProgramPattern, strell::FILTER_FULLPATHNAME, false, false);

    strell::WindowList found;
    for (const strell::ProcessInfo& process : processes) {
        strell::WindowList own;
        strell::getProcessWindows(process.ProcessId, own, true, true);
        if (!m_TitlePattern.empty())
            strell::filterWindowsByTitle(own, m_TitlePattern, false, own);
        found.insert(found.end(), own.begin(), own.end());
    }
    m_Windows.swap(found);
}

int32_t CDesktopLink::send(const std::string& command)
{
    COPYDATASTRUCT data = {};
    data.dwData = 0;
    data.cbData = static_cast<DWORD>(command.size() + 1);
    data.lpData = const_cast<char*>(command.c_str());
    // Added up with wrap-around, as 32-bit answers are.
    uint32_t sum = 0;
    for (HWND window : m_Windows)
        sum += static_cast<uint32_t>(
            SendMessageA(window, WM_COPYDATA, static_cast<WPARAM>(m_Marker), reinterpret_cast<LPARAM>(&data)));
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
    if (commandLine.empty())
        return false;

    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION created = {};
    const bool started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS,
                                        nullptr, nullptr, &startup, &created) != FALSE;
    if (started) {
        // The program runs on its own; its handles are not kept.
        strell::unique_process process(created.hProcess);
        strell::unique_handle_null thread(created.hThread);
    } else {
        debugOut("Quovan Desktop not started: %s", strell::getWin32ErrorText(GetLastError()).c_str());
    }

    // Waited for even when nothing was started: a program starting by other means may come up.
    for (int i = 0; i < kStartPolls; ++i) {
        Sleep(kPollInterval);
        refresh();
        if (!m_Windows.empty() && isIdle())
            break;
    }
    return started;
}

bool CDesktopLink::exit()
{
    const int32_t answer = send("name=exit");
    for (int i = 0; i < kExitPolls; ++i) {
        Sleep(kPollInterval);
        refresh();
        if (m_Windows.empty())
            break;
    }
    strell::ProcessIdList remaining;
    strell::getProcessIdsOfWindows(m_Windows, false, remaining);
    strell::killProcesses(remaining);
    return answer > 0;
}

bool CDesktopLink::restart()
{
    exit();
    return start();
}

bool CDesktopLink::exportMaps(const CExportRequest& request)
{
    if (!isIdle()) {
        refresh();
        if (!isIdle()) {
            exit();
            if (!start())
                return false;
        }
    }
    return send(buildExportCommand(request)) > 0;
}

bool isDesktopRecentEnough(CDesktopLink& link)
{
    int32_t version = link.getVersion();
    if (version == 0) {
        link.restart();
        version = link.getVersion();
    }
    return version >= kMinimumDesktopVersion;
}
