#include "export_command.h"

#include "quovan_plugin.h"

// Checks that the desktop program is installed and recent enough, collects the maps into an export
// request for the area of plugin.areaSelector(), removes the marking and sends the request through
// the desktop link. Comes with the desktop link; until then the command does nothing.
void runExportCommand(CQuovanPlugin& plugin)
{
}
