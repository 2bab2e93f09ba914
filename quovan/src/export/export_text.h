#pragma once
// The export command as the desktop program reads it:
//   name=druvexportmapex;map0=<map text>;map1=<map text>;area=<tl1>@<tl2>@<br1>@<br2>;
// with a map text <name>@<file>@<8 corner numbers joined by "@">@<scale>. Numbers are written as "%f"
// with a decimal point; "@", ";" and "=" in names and files become blanks, so that no text of the
// host forges a field, and so do control characters (0x01 to 0x1F), which would break the desktop
// program's lines. Every formatted piece (map entry, map text, corner text, area part) holds at
// most 2047 characters.

#include "export/export_request.h"

#include <string>

std::string buildExportCommand(const CExportRequest& request);

// Whether the map goes into the export command as it is: its corners are finite and its entry fits
// the 2047 characters of a piece, so that nothing of it is cut.
bool fitsExportCommand(const CMapInfo& map);
// Whether the area (top-left first and second, bottom-right first and second coordinate) goes into
// the export command: its numbers are finite. A finite number always fits its piece.
bool fitsExportCommand(const double (&area)[4]);
