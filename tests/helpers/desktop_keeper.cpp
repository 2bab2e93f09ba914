// Holds the Wine prefix's desktop for a whole test run.
//
// The first program that needs the desktop starts Wine's desktop process, which inherits that
// program's standard handles and lives while any program uses the desktop. Started by a test, it kept
// the test runner's output pipe open, so that one test seemed to last until the end of the run. Started
// from here, before any test and with no output handles, it never belongs to a test. It ends when the
// run stops the wineserver.

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    GetDesktopWindow();
    Sleep(INFINITE);
    return 0;
}
