#pragma once
// The commands of the plug-in's "&Mobile" menu.

#include "dll/resource.h"

namespace menu {

enum : long {
    InstallSoftware = 2069,
    MarkArea = 2070,
    RemoveMark = 2071,
    Export = 2072,
    About = 2073,
};

struct CommandEntry {
    long id;
    unsigned captionId; // string resource
    bool separatorAfter;
};

// In popup order.
const CommandEntry kCommands[] = {
    {InstallSoftware, IDS_MENU_INSTALL, true},
    {MarkArea, IDS_MENU_MARK_AREA, false},
    {RemoveMark, IDS_MENU_REMOVE_MARK, true},
    {Export, IDS_MENU_EXPORT, true},
    {About, IDS_MENU_ABOUT, false},
};

// Position of the popup in the host's menu bar.
const long kPopupPosition = 8;

} // namespace menu
