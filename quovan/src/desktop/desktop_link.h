#pragma once
// The link to the desktop program: finds its windows, sends it text commands as WM_COPYDATA
// messages, starts it from its registered command line and stops it. A link lives for one export
// command. The process and window functions it uses report their failures as strell::exception.

#include "export/export_request.h"
#include "strell_process.h"

#include <windows.h>

#include <cstdint>
#include <string>

// The oldest desktop program that takes exports: version 0.95, answered as 95.
const int32_t kMinimumDesktopVersion = 95;

class CDesktopLink {
public:
    // Finds the desktop program's windows.
    CDesktopLink();

    // Rebuilds the list of the desktop program's windows: windows whose title matches "Quovan" and
    // whose process runs a program whose path matches "quovan.exe".
    void refresh();
    // Sends the command to every listed window and adds up their answers; 0 without windows.
    int32_t send(const std::string& command);

    bool isIdle();
    // The version times 100; 0 when the program does not answer.
    int32_t getVersion();
    // Starts the program from its registered command line and waits up to 5 s until it is ready.
    // False when there is no command line or the process could not be created.
    bool start();
    // Asks the program to quit, waits up to 2 s and then terminates what is still running.
    // Whether the program accepted the request.
    bool exit();
    bool restart();
    // Sends the request, starting the program first when it is not ready. Whether it was accepted.
    bool exportMaps(const CExportRequest& request);

    const strell::WindowList& windows() const { return m_Windows; }

private:
    std::string m_TitlePattern;
    std::string m_ProgramPattern;
    strell::WindowList m_Windows;
    ULONG_PTR m_Marker;
};

// Whether the desktop program is recent enough for an export. A program that does not answer the
// version question is restarted and asked again.
bool isDesktopRecentEnough(CDesktopLink& link);
