#pragma once
// The export command as the desktop program reads it:
//   name=druvexportmapex;map0=<map text>;map1=<map text>;area=<tl1>@<tl2>@<br1>@<br2>;
// with a map text <name>@<file>@<8 corner numbers joined by "@">@<scale>. Numbers are written as "%f"
// with a decimal point; "@" in names and files becomes a blank. Every formatted piece (map entry,
// map text, corner text, area part) holds at most 2047 characters.

#include "export/export_request.h"

#include <string>

std::string buildExportCommand(const CExportRequest& request);
