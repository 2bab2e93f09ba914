#include "sim_menu.h"

#include "bstr_text.h"
#include "host_call.h"
#include "stringex.h"
#include "transcript_text.h"

#include <algorithm>

using namespace geohost;

namespace hostsim {

void* CSimMenu::findInterface(REFIID iid)
{
    if (IsEqualIID(iid, IID_IGeoMenu))
        return static_cast<IGeoMenu*>(this);
    if (IsEqualIID(iid, IID_IGeoMenu2) && m_Host.offers.menu2)
        return static_cast<IGeoMenu2*>(this);
    return nullptr;
}

// Index 0 is the menu bar; the host's own menus are not offered.
HRESULT STDMETHODCALLTYPE CSimMenu::GetMenu(long index, long* menu)
{
    CHostCall call(m_Host, "Menu.GetMenu", std::to_string(index));
    if (!menu)
        return call.finish(E_POINTER);
    *menu = 0;
    if (call.failed())
        return call.finish(call.injected());
    if (index != 0)
        return call.finish(E_INVALIDARG);
    *menu = CHostState::kMenuBar;
    return call.finish(S_OK, "menu " + std::to_string(*menu));
}

HRESULT STDMETHODCALLTYPE CSimMenu::CreateMenu(long* menu)
{
    CHostCall call(m_Host, "Menu.CreateMenu");
    if (!menu)
        return call.finish(E_POINTER);
    *menu = 0;
    if (call.failed())
        return call.finish(call.injected());
    *menu = m_Host.nextMenu++;
    m_Host.menus[*menu] = Menu();
    return call.finish(S_OK, "menu " + std::to_string(*menu));
}

HRESULT STDMETHODCALLTYPE CSimMenu::AddItem(long plugInId, long menu, BSTR helpText, long commandId, BSTR caption)
{
    MenuItem item;
    item.plugInId = plugInId;
    item.commandId = commandId;
    item.caption = fromBstr(caption);
    item.helpText = fromBstr(helpText);
    CHostCall call(m_Host, "Menu.AddItem",
                   strell::formatString("%ld, %ld, %s, %ld, %s", plugInId, menu, quote(item.helpText).c_str(),
                                        commandId, quote(item.caption).c_str()));
    if (call.failed())
        return call.finish(call.injected());
    const auto found = m_Host.menus.find(menu);
    if (found == m_Host.menus.end())
        return call.finish(E_INVALIDARG, "no such menu");
    found->second.items.push_back(item);
    return call.finish(S_OK, item.separator() ? "separator" : "");
}

HRESULT STDMETHODCALLTYPE CSimMenu::InsertPopup(long menuBar, long popup, long position, BSTR caption)
{
    const std::string captionText = fromBstr(caption);
    CHostCall call(m_Host, "Menu.InsertPopup",
                   strell::formatString("%ld, %ld, %ld, %s", menuBar, popup, position, quote(captionText).c_str()));
    if (call.failed())
        return call.finish(call.injected());
    if (menuBar != CHostState::kMenuBar || !m_Host.menus.count(popup) || position < 0)
        return call.finish(E_INVALIDARG);
    const size_t at = std::min(static_cast<size_t>(position), m_Host.menuBar.size());
    m_Host.menuBar.insert(m_Host.menuBar.begin() + static_cast<std::ptrdiff_t>(at), MenuBarEntry{captionText, popup});
    return call.finish(S_OK);
}

HRESULT STDMETHODCALLTYPE CSimMenu::SetItemState(long plugInId, long commandId, long state)
{
    CHostCall call(m_Host, "Menu.SetItemState", strell::formatString("%ld, %ld, %ld", plugInId, commandId, state));
    if (call.failed())
        return call.finish(call.injected());
    for (auto& menu : m_Host.menus)
        for (MenuItem& item : menu.second.items)
            if (item.plugInId == plugInId && item.commandId == commandId && commandId != 0) {
                item.state = state;
                return call.finish(S_OK);
            }
    return call.finish(E_INVALIDARG, "no such item");
}

HRESULT STDMETHODCALLTYPE CSimMenu::DeleteMenu(long popup)
{
    CHostCall call(m_Host, "Menu2.DeleteMenu", std::to_string(popup));
    if (call.failed())
        return call.finish(call.injected());
    if (!m_Host.menus.erase(popup))
        return call.finish(E_INVALIDARG, "no such menu");
    m_Host.menuBar.erase(std::remove_if(m_Host.menuBar.begin(), m_Host.menuBar.end(),
                                        [&](const MenuBarEntry& entry) { return entry.popup == popup; }),
                         m_Host.menuBar.end());
    return call.finish(S_OK);
}

} // namespace hostsim
