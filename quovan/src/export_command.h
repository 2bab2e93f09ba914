#pragma once
// The export command (menu "&Exportieren"): checks that the desktop program is installed, that an
// area is complete and that the desktop program is recent enough, then collects the host's maps,
// removes the marking and hands area and maps to the desktop program. Every failure ends in a box.

class CAreaSelector;
class CHostSession;

void runExportCommand(const CHostSession& session, CAreaSelector& areaSelector);
