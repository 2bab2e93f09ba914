#include "export/export_command.h"

#include "com/debug_out.h"
#include "desktop/desktop_link.h"
#include "desktop/desktop_messages.h"
#include "desktop/desktop_settings.h"
#include "export/area_selector.h"
#include "export/export_request.h"
#include "export/export_text.h"
#include "host/error_table.h"
#include "host/geo_plugin_application.h"
#include "host/geo_plugin_exception.h"
#include "host/geo_plugin_map.h"
#include "host/host_session.h"

#include <algorithm>
#include <exception>
#include <iterator>
#include <memory>
#include <string>

using namespace geohost;

namespace {

// Counting the host's maps ends here, so that a host whose list never ends cannot hold the command.
const int kMaxCountedMaps = 100000;

// The map as the request holds it; false when it cannot be exported unchanged: a file path that does
// not fit its field with the ".mph", or corners that are not finite or too long for the command.
bool readMap(CGeoPlugInMap& map, CMapInfo& info)
{
    const std::string name = map.name();
    const std::string file = mapFileFromDataPath(map.dataPath());
    if (file.size() >= sizeof info.file)
        return false;
    setMapText(info.name, name);
    setMapText(info.file, file);
    GeoPoint corners[4];
    map.corners(corners);
    for (int i = 0; i < 4; ++i) {
        info.corners[2 * i] = corners[i].first;
        info.corners[2 * i + 1] = corners[i].second;
    }
    info.scale = map.scale();
    return fitsExportCommand(info);
}

// Every available map that can be exported, in the host's order, as many as the request holds.
// Returns how many of the host's maps were left out.
int collectMaps(IGeoApplication2* application, CExportRequest& request)
{
    int leftOut = 0;
    for (std::unique_ptr<CGeoPlugInMap> map = CGeoPlugInMap::first(application);
         map && request.count + leftOut < kMaxCountedMaps; map = CGeoPlugInMap::next(application)) {
        CMapInfo info;
        if (request.full() || !readMap(*map, info))
            ++leftOut;
        else
            request.add(info);
    }
    if (leftOut > 0)
        debugOut("%d maps exported, %d left out", static_cast<int>(request.count), leftOut);
    return leftOut;
}

} // namespace

void runExportCommand(const CHostSession& session, CAreaSelector& areaSelector)
{
    if (!isDesktopInstalled()) {
        offerDownloadNotInstalled();
        return;
    }
    GeoPoint topLeft, bottomRight;
    if (!areaSelector.getArea(topLeft, bottomRight)) {
        showHostMessage(session.application(), "No Area selected!", "Information");
        return;
    }
    const double area[4] = {topLeft.first, topLeft.second, bottomRight.first, bottomRight.second};
    // Corners the host could not convert (not finite) mark no place: nothing goes to the desktop
    // program, as with such map corners.
    if (!fitsExportCommand(area)) {
        debugOut("Area not exported: %f,%f    %f,%f", area[0], area[1], area[2], area[3]);
        CGeoPlugInException(geoerror::CoordinatesNotConverted, S_FALSE).report();
        return;
    }

    // The process and window functions behind the link fail with a report; the user is told and
    // the host goes on.
    try {
        CDesktopLink link;
        switch (checkDesktopVersion(link)) {
        case DesktopVersion::TooOld:
            offerDownloadTooOld();
            return;
        case DesktopVersion::Unknown:
            reportDesktopLinkFailure("no version answered");
            return;
        case DesktopVersion::Recent:
            break;
        }
        try {
            const std::unique_ptr<CExportRequest> request = std::make_unique<CExportRequest>();
            const int leftOut = collectMaps(session.application2(), *request);
            std::copy(std::begin(area), std::end(area), request->area);
            debugOut("Coordinate: %f,%f    %f,%f", topLeft.second, topLeft.first, bottomRight.second,
                     bottomRight.first);
            // Only an accepted export removes the marking, so that the user can try again.
            switch (link.deliver(buildExportCommand(*request))) {
            case Delivery::Accepted:
                areaSelector.start(false);
                if (leftOut > 0)
                    reportMapsLeftOut(static_cast<int>(request->count), leftOut);
                break;
            case Delivery::Busy:
                reportDesktopBusy();
                break;
            case Delivery::Refused:
                reportDesktopLinkFailure("export not accepted");
                break;
            case Delivery::Unreachable:
                reportDesktopLinkFailure("no desktop program to take the export");
                break;
            }
        } catch (const CGeoPlugInException& error) {
            error.report();
        }
    } catch (const std::string& report) {
        reportDesktopLinkFailure(report);
    } catch (const std::exception& error) {
        reportDesktopLinkFailure(error.what());
    }
}
