#include "export/area_selector.h"

#include "com/debug_out.h"
#include "com/plugin_module.h"
#include "host/error_table.h"
#include "host/geo_plugin_coordinates.h"
#include "host/geo_plugin_document.h"
#include "host/geo_plugin_exception.h"
#include "host/geo_plugin_graphic.h"
#include "host/host_session.h"

#include <cstdint>
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

// Squared distance of a view position from the view's origin, in 32-bit arithmetic.
int32_t squaredDistance(long x, long y)
{
    return static_cast<int32_t>(static_cast<int64_t>(x) * x + static_cast<int64_t>(y) * y);
}

} // namespace

CAreaSelector::CAreaSelector(const CHostSession& session) : m_Session(session)
{
}

CAreaSelector::~CAreaSelector() = default;

void CAreaSelector::start(bool create)
{
    m_Attached = false;
    m_Clicks = 0;
    try {
        if (m_Graphic) {
            try {
                m_Graphic->detach();
            } catch (...) {
            }
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
    const int32_t distances[4] = {
        squaredDistance(first.x, first.y),
        squaredDistance(second.x, first.y),
        squaredDistance(second.x, second.y),
        squaredDistance(first.x, second.y),
    };

    // Nearest corner to the view's origin is the top-left, farthest the bottom-right; on equal
    // distances the lower-numbered corner wins. A corner that no comparison picks (all corners at
    // the origin) stays the first point.
    int32_t minimum = 2000000000, maximum = 0;
    int topLeft = 0, bottomRight = 0;
    for (int i = 0; i < 4; ++i) {
        if (distances[i] < minimum) {
            minimum = distances[i];
            topLeft = i;
        }
        if (distances[i] > maximum) {
            maximum = distances[i];
            bottomRight = i;
        }
    }
    m_TopLeft = corners[topLeft];
    m_BottomRight = corners[bottomRight];
    debugOut("Indecies: %d %d", topLeft, bottomRight);
    debugOut("  TopLeft    : %f %f", m_TopLeft.second, m_TopLeft.first);
    debugOut("  BottomRight: %f %f", m_BottomRight.second, m_BottomRight.first);

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
    }
}
