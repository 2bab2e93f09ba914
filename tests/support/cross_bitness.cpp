#include "cross_bitness.h"

#include "message_boxes.h"

#include <stdexcept>

namespace testsupport {

bool runsUnderWow64()
{
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

const char kWow64Only[] = "a cross-bitness case: it runs in the WoW64 lane only (32-bit programs in a 64-bit prefix)";

std::string desktopDouble64()
{
    const std::string path = DESKTOP_DOUBLE64_EXE;
    return path.empty() ? path : winPath(path);
}

RunningDesktopDouble::RunningDesktopDouble(const std::string& program, const std::string& arguments)
{
    const std::string ready = m_Folder.file("ready");
    const std::string commandLine = quoteArgument(program) + " --ready-file " + quoteArgument(ready) + " " + arguments;
    m_Process = launch(commandLine);
    for (int i = 0; i < 200 && !exists(ready); ++i) {
        if (m_Process.wait(50))
            throw std::runtime_error("the desktop double ended at once: " + commandLine);
    }
    if (!exists(ready))
        throw std::runtime_error("the desktop double has no windows after 10 s: " + commandLine);
}

RunningDesktopDouble::~RunningDesktopDouble()
{
    m_Process.terminate(0);
}

bool RunningDesktopDouble::runsAfter(DWORD waitMs) const
{
    return WaitForSingleObject(m_Process.handle(), waitMs) == WAIT_TIMEOUT;
}

} // namespace testsupport
