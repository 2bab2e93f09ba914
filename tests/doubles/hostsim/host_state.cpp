#include "host_state.h"

#include "stringex.h"
#include "transcript_text.h"

#include <cmath>

namespace hostsim {

GeoPoint ViewTransform::toMap(long x, long y) const
{
    return GeoPoint{originFirst + x * unitsPerPixel, originSecond - y * unitsPerPixel, 0.0};
}

void ViewTransform::toView(const GeoPoint& point, long& x, long& y) const
{
    x = std::lround((point.first - originFirst) / unitsPerPixel);
    y = std::lround((originSecond - point.second) / unitsPerPixel);
}

CHostState::CHostState()
{
    for (const char* caption : {"&Datei", "&Bearbeiten", "&Ansicht", "&Karte", "&Grafik", "&Overlay", "E&xtras",
                                "&Fenster", "&Hilfe"})
        menuBar.push_back(MenuBarEntry{caption, 0});
}

std::string CHostState::viewText(const GeoPoint& point) const
{
    long x = 0, y = 0;
    view.toView(point, x, y);
    return std::to_string(x) + "," + std::to_string(y);
}

void CHostState::showMenu()
{
    log("menu bar");
    for (size_t i = 0; i < menuBar.size(); ++i) {
        const MenuBarEntry& entry = menuBar[i];
        if (entry.popup == 0) {
            log(strell::formatString("  %u %s", static_cast<unsigned>(i), quote(entry.caption).c_str()));
            continue;
        }
        log(strell::formatString("  %u %s popup %ld", static_cast<unsigned>(i), quote(entry.caption).c_str(),
                                 entry.popup));
        const auto menu = menus.find(entry.popup);
        if (menu == menus.end())
            continue;
        for (const MenuItem& item : menu->second.items) {
            if (item.separator()) {
                log("    separator");
                continue;
            }
            const char* state = item.state == geohost::kItemSelectable ? "selectable"
                                : item.state == geohost::kItemGreyed   ? "greyed"
                                                                       : nullptr;
            log(strell::formatString("    %ld %s %s", item.commandId, quote(item.caption).c_str(),
                                     state ? state : ("state " + std::to_string(item.state)).c_str()));
        }
    }
}

void CHostState::showGraphics()
{
    if (graphics.empty())
        log("no graphics");
    for (const std::shared_ptr<GraphicRecord>& graphic : graphics) {
        std::string points;
        for (const GeoPoint& point : graphic->points)
            points += " " + viewText(point);
        log(strell::formatString("graphic %d type %ld pen %ld colour %ld,%ld,%ld flags A=%ld B=%ld %s%s points%s",
                                 graphic->id, graphic->type, graphic->penSize, graphic->red, graphic->green,
                                 graphic->blue, graphic->flagA, graphic->flagB,
                                 graphic->document ? ("attached to document " + std::to_string(graphic->document)).c_str()
                                                   : "not attached",
                                 graphic->released ? " released" : "", points.empty() ? " none" : points.c_str()));
    }
}

void CHostState::showSettings()
{
    if (settingKeys.empty())
        log("no settings");
    for (const auto& key : settingKeys)
        log("setting [" + key.first + "] " + key.second + " = " + quote(settings[key]));
}

void CHostState::showMaps()
{
    if (maps.empty())
        log("no maps");
    for (const MapRecord& map : maps)
        log(strell::formatString("map %s %s scale %ld", quote(map.name).c_str(), quote(map.dataPath).c_str(),
                                 map.scale));
}

void CHostState::showInfo()
{
    if (infos.empty())
        log("no plug-in information");
    for (const std::shared_ptr<PlugInInfoRecord>& info : infos)
        log(strell::formatString("plug-in information %d name %s legal %s description %s numbers %ld %ld", info->id,
                                 quote(info->name).c_str(), quote(info->legalText).c_str(),
                                 quote(info->description).c_str(), info->first, info->second));
}

} // namespace hostsim
