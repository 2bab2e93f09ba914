#pragma once
// The export command (menu "&Exportieren"): checks that the desktop program is installed, that an
// area is complete and that the desktop program is recent enough, then collects the host's maps and
// hands area and maps to the desktop program. Only an accepted export removes the marking; maps left
// out are reported after it. Every failure ends in a box and keeps the marking: an area that is no
// place on the map, a desktop program that is busy, too slow, could not be reached or refused.
// The desktop program is asked on a worker thread while the host goes on (wait/modal_wait.h); the
// command returns when the export has ended, was cancelled by the user or given up because the
// plug-in is being closed (then nothing more is shown and the host is not called again).

class CAreaSelector;
class CHostSession;

void runExportCommand(const CHostSession& session, CAreaSelector& areaSelector);
