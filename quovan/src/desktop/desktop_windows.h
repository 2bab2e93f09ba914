#pragma once
// The search for the desktop program's windows. The program-file rule names the candidates: the
// processes whose program's path matches it are found first, then only their windows are looked at,
// so that the windows of other programs cost nothing, however many there are. Failures of the
// process and window functions are raised as strell::exception.

#include "strell_process.h"

#include <string>

// The top-level windows whose title contains a match of the title pattern (every window when it is
// empty) of the processes whose program's full path contains a match of the program pattern and that
// own such a window without an owner window. The processes come in ascending id order, the windows
// of each in the system's order of top-level windows.
strell::WindowList findDesktopWindows(const std::string& titlePattern, const std::string& programPattern);
