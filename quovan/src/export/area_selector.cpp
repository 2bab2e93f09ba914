#include "export/area_selector.h"

#include "com/debug_out.h"
#include "com/plugin_module.h"
#include "host/error_table.h"
#include "host/geo_plugin_coordinates.h"
#include "host/geo_plugin_document.h"
#include "host/geo_plugin_exception.h"
#include "host/geo_plugin_graphic.h"
#include "host/host_session.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <vector>

using namespace geohost;

namespace {

// Pen and colour of the area line.
const long kPenSize = 4;
const long kRed = 240, kGreen = 32, kBlue = 240;

GeoPoint pointerPosition(IGeoMouseEvent* event)
{
    GeoPoint position = {0.0, 0.0, 0.0};
    event->GetPosition(&position);
    return position;
}

} // namespace

CAreaSelector::CAreaSelector(const CHostSession& session) : m_Session(session)
{
}

CAreaSelector::~CAreaSelector() = default;

void CAreaSelector::start(bool create)
{
    m_Clicks = 0;
    try {
        if (m_Graphic) {
            try {
                m_Graphic->detach();
                if (m_Attached)
                    plugin::unlockModule();
            } catch (...) {
                // Still attached in the host: the DLL stays loaded for it.
            }
            m_Attached = false;
            m_Graphic.reset();
        }
        if (create) {
            m_Graphic = CGeoPlugInGraphic::createLine(m_Session.application2());
            m_Graphic->setPenSize(kPenSize);
            m_Graphic->setColor(kRed, kGreen, kBlue);
            m_Graphic->setFlagB(1);
            m_Graphic->setFlagA(1);
        }
    } catch (const CGeoPlugInException& error) {
        error.report();
    }
}

bool CAreaSelector::onMouseEvent(IGeoMouseEvent* event)
{
    if (!event)
        return false;
    long type = 0;
    event->GetEventType(&type);
    if (!m_Graphic || m_Clicks >= 2)
        return false;
    try {
        switch (type) {
        case kMouseMoved:
            if (m_Clicks == 1) {
                m_CurrentPoint = pointerPosition(event);
                update(m_CurrentPoint, false);
            }
            break;
        case kMouseClicked:
            ++m_Clicks;
            if (m_Clicks == 1) {
                m_FirstPoint = pointerPosition(event);
            } else {
                m_CurrentPoint = pointerPosition(event);
                update(m_CurrentPoint, true);
            }
            break;
        case kMouseCancel:
            start(false);
            break;
        default:
            break;
        }
    } catch (const CGeoPlugInException& error) {
        error.report();
    }
    return true;
}

bool CAreaSelector::getArea(GeoPoint& topLeft, GeoPoint& bottomRight) const
{
    if (!m_Graphic || m_Clicks < 2)
        return false;
    topLeft = m_TopLeft;
    bottomRight = m_BottomRight;
    return true;
}

// Errors reach the user only for the final update; the pointer's moves stay silent.
void CAreaSelector::update(const GeoPoint& point, bool final)
{
    try {
        draw(point);
    } catch (const CGeoPlugInException& error) {
        if (final)
            error.report();
    } catch (...) {
        if (final)
            plugin::messageBox("Unbekannter Fehler!", "Error", MB_OK);
    }
}

void CAreaSelector::draw(const GeoPoint& point)
{
    const std::unique_ptr<CGeoPlugInCoordinates> coordinates =
        CGeoPlugInCoordinates::fromApplication(m_Session.application());
    const std::unique_ptr<CGeoPlugInDocument> document = CGeoPlugInDocument::getActive(m_Session.application());

    const ViewPosition first = coordinates->mapToView(m_FirstPoint);
    const ViewPosition second = coordinates->mapToView(point);
    const GeoPoint corners[5] = {
        m_FirstPoint,
        coordinates->viewToMap(ViewPosition{second.x, first.y}),
        point,
        coordinates->viewToMap(ViewPosition{first.x, second.y}),
        m_FirstPoint,
    };
    // Top-left has the smaller, bottom-right the larger view coordinates of the rectangle, wherever
    // the view was panned: corner 0 is the first point, 1 and 3 share its row and its column.
    const bool firstLeft = first.x <= second.x;
    const bool firstTop = first.y <= second.y;
    const int topLeft = firstTop ? (firstLeft ? 0 : 1) : (firstLeft ? 3 : 2);
    const int bottomRight = (topLeft + 2) % 4;
    m_TopLeft = corners[topLeft];
    m_BottomRight = corners[bottomRight];
    debugOut("Indecies: %d %d", topLeft, bottomRight);
    debugOut("  TopLeft    : %f %f", m_TopLeft.second, m_TopLeft.first);
    debugOut("  BottomRight: %f %f", m_BottomRight.second, m_BottomRight.first);

    // A view the host cannot convert gives no place to draw at; the export refuses such an area.
    if (!std::all_of(std::begin(corners), std::end(corners), [](const GeoPoint& corner) {
            return std::isfinite(corner.first) && std::isfinite(corner.second);
        })) {
        debugOut("marking not drawn: the view cannot be converted");
        return;
    }

    m_Graphic->setCoordinates(std::vector<GeoPoint>(corners, corners + 5));

    // Attached once; a failed attempt is repeated with the next update rather than leaving the line
    // unattached and never shown.
    if (!m_Attached) {
        try {
            m_Graphic->detach();
        } catch (...) {
        }
        if (!document)
            throw CGeoPlugInException(geoerror::DocumentNotAttached, S_FALSE);
        m_Graphic->attach(*document);
        m_Attached = true;
        // An attached graphic keeps the DLL loaded until it is detached.
        plugin::lockModule();
    }
}
