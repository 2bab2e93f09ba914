#include "export_command.h"

#include "com/debug_out.h"
#include "desktop/desktop_link.h"
#include "desktop/desktop_messages.h"
#include "desktop/desktop_settings.h"
#include "export/area_selector.h"
#include "export/export_request.h"
#include "host/geo_plugin_application.h"
#include "host/geo_plugin_exception.h"
#include "host/geo_plugin_map.h"
#include "host/host_session.h"

#include <exception>
#include <memory>
#include <string>

using namespace geohost;

namespace {

CMapInfo readMap(CGeoPlugInMap& map)
{
    CMapInfo info;
    setMapText(info.name, map.name());
    setMapText(info.file, mapFileFromDataPath(map.dataPath()));
    GeoPoint corners[4];
    map.corners(corners);
    for (int i = 0; i < 4; ++i) {
        info.corners[2 * i] = corners[i].first;
        info.corners[2 * i + 1] = corners[i].second;
    }
    info.scale = map.scale();
    return info;
}

// Every available map in the host's order, as many as the request holds.
void collectMaps(IGeoApplication2* application, CExportRequest& request)
{
    for (std::unique_ptr<CGeoPlugInMap> map = CGeoPlugInMap::first(application); map;
         map = CGeoPlugInMap::next(application)) {
        if (request.full()) {
            debugOut("More than %d maps: the first %d are exported", CExportRequest::kMaxMaps,
                     CExportRequest::kMaxMaps);
            break;
        }
        request.add(readMap(*map));
    }
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

    // The process and window functions behind the link fail with a report; the user is told and
    // the host goes on.
    try {
        CDesktopLink link;
        if (!isDesktopRecentEnough(link)) {
            offerDownloadTooOld();
            return;
        }
        try {
            const std::unique_ptr<CExportRequest> request = std::make_unique<CExportRequest>();
            collectMaps(session.application2(), *request);
            request->area[0] = topLeft.first;
            request->area[1] = topLeft.second;
            request->area[2] = bottomRight.first;
            request->area[3] = bottomRight.second;
            debugOut("Coordinate: %f,%f    %f,%f", topLeft.second, topLeft.first, bottomRight.second,
                     bottomRight.first);
            areaSelector.start(false);
            link.exportMaps(*request);
        } catch (const CGeoPlugInException& error) {
            error.report();
        }
    } catch (const std::string& report) {
        reportDesktopLinkFailure(report);
    } catch (const std::exception& error) {
        reportDesktopLinkFailure(error.what());
    }
}
