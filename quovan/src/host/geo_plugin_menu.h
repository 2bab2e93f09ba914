#pragma once
// Checked calls on one host menu: the menu bar (by index) or the plug-in's own popup.

#include "com_ptr.h"
#include "geo_host_interfaces.h"

#include <string>

class CGeoPlugInMenu {
public:
    // Takes the host's menu interface from the application (error 85).
    CGeoPlugInMenu(geohost::IGeoApplication* application, long plugInId);

    // Makes this the host's menu at the index (error 85).
    void loadByIndex(long index);
    // Makes this a new, empty popup menu of the host (error 18).
    void create();
    // Appends an entry or a separator (error 3).
    void addItem(const std::string& caption, const std::string& helpText, long commandId);
    void addSeparator();
    // Inserts the popup into this menu at the position (error 2).
    void insertPopup(const CGeoPlugInMenu& popup, long position, const std::string& caption);
    // Sets the state of one of the plug-in's entries (error 199).
    void setItemState(long commandId, long state);
    // Removes this popup from the host (error 31).
    void deleteMenu();

    long handle() const { return m_Handle; }

private:
    ComPtr<geohost::IGeoMenu> m_Menu;
    ComPtr<geohost::IGeoMenu2> m_Menu2;
    long m_PlugInId;
    long m_Handle = 0;
};
