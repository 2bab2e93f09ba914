#pragma once
// The export area: marked on the host's map with two clicks and shown as a closed magenta line that
// follows the pointer. Fed by the plug-in object with mouse events and the menu commands; draws into the
// session's host.

#include "geo_host_interfaces.h"

#include <memory>

class CHostSession;
class CGeoPlugInGraphic;

class CAreaSelector {
public:
    explicit CAreaSelector(const CHostSession& session);
    ~CAreaSelector();
    CAreaSelector(const CAreaSelector&) = delete;
    CAreaSelector& operator=(const CAreaSelector&) = delete;

    // Removes the current marking; with create set, begins a new one. Errors are shown and swallowed.
    void start(bool create);
    // Whether the event was handled (a marking is active and not yet complete).
    bool onMouseEvent(geohost::IGeoMouseEvent* event);
    // The corners of the complete area; false while there is none.
    bool getArea(geohost::GeoPoint& topLeft, geohost::GeoPoint& bottomRight) const;

private:
    void update(const geohost::GeoPoint& point, bool final);
    void draw(const geohost::GeoPoint& point);

    const CHostSession& m_Session;
    std::unique_ptr<CGeoPlugInGraphic> m_Graphic; // null while no marking is active
    bool m_Attached = false;
    int m_Clicks = 0;
    geohost::GeoPoint m_FirstPoint = {};
    geohost::GeoPoint m_CurrentPoint = {};
    geohost::GeoPoint m_TopLeft = {};
    geohost::GeoPoint m_BottomRight = {};
};
