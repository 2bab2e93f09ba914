#pragma once
// The German boxes of the desktop link: the offers to download the desktop program when it is
// missing or too old, the reports of a link that failed, of a busy desktop program and of maps that an
// export left out.

#include <string>

// Asks whether to download the desktop program because it is not installed; opens the download
// address on Yes.
void offerDownloadNotInstalled();
// The same because the installed desktop program is older than 0.95.
void offerDownloadTooOld();
// Tells the user that the desktop program could not be reached and nothing was exported. The
// technical report goes to the debugger output.
void reportDesktopLinkFailure(const std::string& report);
// Tells the user that the desktop program is busy and nothing was exported; to be tried again once
// it is ready.
void reportDesktopBusy();
// The desktop program did not answer within the time the export may wait.
void reportDesktopTooSlow();
// Tells the user how many maps were exported and how many were left out.
void reportMapsLeftOut(int exported, int leftOut);
