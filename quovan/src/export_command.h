#pragma once
// The export command (menu "&Exportieren"): hands the marked area and the descriptions of the host's
// maps to the desktop program.

class CQuovanPlugin;

void runExportCommand(CQuovanPlugin& plugin);
