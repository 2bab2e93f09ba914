#include "host/geo_plugin_menu.h"

#include "bstr_text.h"
#include "host/error_table.h"
#include "host/geo_plugin_exception.h"

using namespace geohost;

CGeoPlugInMenu::CGeoPlugInMenu(IGeoApplication* application, long plugInId) : m_PlugInId(plugInId)
{
    requireHostInterface(application);
    checkHostResult(application->GetMenuInterface(m_Menu.put()), geoerror::MenuNotAvailable);
    m_Menu2.queryFrom(m_Menu.get(), IID_IGeoMenu2);
}

void CGeoPlugInMenu::loadByIndex(long index)
{
    requireHostInterface(m_Menu.get());
    checkHostResult(m_Menu->GetMenu(index, &m_Handle), geoerror::MenuNotAvailable);
}

void CGeoPlugInMenu::create()
{
    requireHostInterface(m_Menu.get());
    checkHostResult(m_Menu->CreateMenu(&m_Handle), geoerror::MenuNotCreated);
}

void CGeoPlugInMenu::addItem(const std::string& caption, const std::string& helpText, long commandId)
{
    requireHostInterface(m_Menu.get());
    const CBstrText help(helpText);
    const CBstrText text(caption);
    checkHostResult(m_Menu->AddItem(m_PlugInId, m_Handle, help.get(), commandId, text.get()),
                    geoerror::MenuItemNotAdded);
}

void CGeoPlugInMenu::addSeparator()
{
    addItem(std::string(), std::string(), 0);
}

void CGeoPlugInMenu::insertPopup(const CGeoPlugInMenu& popup, long position, const std::string& caption)
{
    requireHostInterface(m_Menu.get());
    const CBstrText text(caption);
    checkHostResult(m_Menu->InsertPopup(m_Handle, popup.handle(), position, text.get()), geoerror::MenuNotAdded);
}

void CGeoPlugInMenu::setItemState(long commandId, long state)
{
    requireHostInterface(m_Menu.get());
    checkHostResult(m_Menu->SetItemState(m_PlugInId, commandId, state), geoerror::MenuItemStateNotSet);
}

void CGeoPlugInMenu::deleteMenu()
{
    requireHostInterface(m_Menu2.get());
    checkHostResult(m_Menu2->DeleteMenu(m_Handle), geoerror::PlugInMenuNotDeleted);
}
