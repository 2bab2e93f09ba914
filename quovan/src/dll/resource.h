#pragma once
// Resource identifiers of the plug-in DLL.

#define IDS_MENU_POPUP 101
#define IDS_MENU_INSTALL 102
#define IDS_MENU_MARK_AREA 103
#define IDS_MENU_REMOVE_MARK 104
#define IDS_MENU_EXPORT 105
#define IDS_MENU_ABOUT 106
#define IDS_ABOUT_CAPTION 107
