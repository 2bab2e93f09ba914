// Holds the Wine prefix's desktop for a whole test run.
//
// The first program that needs the desktop starts Wine's desktop process, which inherits that
// program's standard handles and lives while any program uses the desktop. Started by a test, it kept
// the test runner's output pipe open, so that one test seemed to last until the end of the run. Started
// from here, before any test and with no output handles, it never belongs to a test. It ends when the
// run stops the wineserver.
//
// usage: desktop_keeper.exe [ready file]: the file is created once the desktop exists, so that the
// run's start can wait for it; without a desktop the keeper ends with 1 and creates nothing.

#include "win32_handles.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int)
{
    if (!GetDesktopWindow())
        return 1;
    if (commandLine && *commandLine) {
        const strell::unique_hfile ready(
            CreateFileA(commandLine, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!ready)
            return 1;
    }
    Sleep(INFINITE);
    return 0;
}
