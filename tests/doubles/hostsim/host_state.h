#pragma once
// The simulated host's world: its menus, graphics, document, maps, view, settings and plug-in
// information objects, what it offers to the plug-in, its fault plan and its transcript.

#include "faults.h"
#include "geo_host_interfaces.h"
#include "transcript.h"

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace hostsim {

using geohost::GeoPoint;

struct MenuItem {
    long plugInId = 0;
    long commandId = 0;
    std::string caption;
    std::string helpText;
    long state = geohost::kItemSelectable;
    bool separator() const { return commandId == 0 && caption.empty() && helpText.empty(); }
};

struct Menu {
    std::vector<MenuItem> items;
};

// An entry of the menu bar: one of the host's own menus or a plug-in's popup.
struct MenuBarEntry {
    std::string caption;
    long popup = 0;
};

struct GraphicRecord {
    int id = 0;
    long type = 0;
    long penSize = 1;
    long red = 0, green = 0, blue = 0;
    long flagA = 0, flagB = 0;
    std::vector<GeoPoint> points;
    int document = 0; // 0: not attached
    bool released = false;
};

struct MapRecord {
    std::string name;
    std::string dataPath;
    GeoPoint corners[4] = {};
    long scale = 0;
};

struct PlugInInfoRecord {
    int id = 0;
    std::string name, legalText, description;
    long first = 0, second = 0;
};

// Map coordinates from view positions: first = origin + x * unit, second = origin - y * unit.
struct ViewTransform {
    double originFirst = 10.0;
    double originSecond = 48.0;
    double unitsPerPixel = 0.001;

    GeoPoint toMap(long x, long y) const;
    void toView(const GeoPoint& point, long& x, long& y) const;
};

// Interfaces that the host hands out when asked; each can be withheld.
struct Offers {
    bool application2 = true;
    bool control = true;
    bool menu2 = true;
    bool coordinates2 = true;
    bool graphicPen = true;
    bool graphicFlags = true;
    bool graphicExtensions = true;
    bool document2 = true;
};

class CHostState {
public:
    CHostState();

    CTranscript transcript;
    CFaultPlan faults;
    Offers offers;
    ViewTransform view;

    static const long kMenuBar = 1;
    std::vector<MenuBarEntry> menuBar;
    std::map<long, Menu> menus; // by handle; the menu bar's own menus are not modelled
    long nextMenu = 100;

    std::vector<std::shared_ptr<GraphicRecord>> graphics;
    bool documentOpen = true;
    static const int kDocument = 1;

    std::vector<MapRecord> maps;
    size_t nextMap = 0;

    std::vector<std::pair<std::string, std::string>> settingKeys; // in the order first written
    std::map<std::pair<std::string, std::string>, std::string> settings;

    std::vector<std::shared_ptr<PlugInInfoRecord>> infos;

    // Questions the plug-in asked the system about single windows (titles, owners), since last shown.
    long windowQueries = 0;

    void log(const std::string& text) { transcript.line(text); }

    // Dumps for the transcript.
    void showMenu();
    void showGraphics();
    void showSettings();
    void showMaps();
    void showInfo();

    std::string viewText(const GeoPoint& point) const;
};

} // namespace hostsim
