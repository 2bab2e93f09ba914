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
#include "wait/modal_wait.h"

#include <algorithm>
#include <atomic>
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

// What the desktop exchange hands between the host's interface thread and the worker: plain data
// only. Shared, because a worker whose wait was given up runs on alone.
struct DesktopExchange {
    std::shared_ptr<std::atomic<bool>> stop = std::make_shared<std::atomic<bool>>(false);
    std::unique_ptr<CDesktopLink> link;
    DesktopVersion version = DesktopVersion::Unknown;
    std::string command;
    Delivery delivery = Delivery::Unreachable;
    std::string failure; // the report of a process or window function that failed
};

// Runs one part of the exchange on the worker; the report of a failed function goes to failure.
template <typename Part>
WaitEnd runOnWorker(CModalWait& wait, const std::shared_ptr<DesktopExchange>& exchange, Part part)
{
    return wait.run([exchange, part] {
        try {
            part(*exchange);
        } catch (const std::string& report) {
            exchange->failure = report;
        } catch (const std::exception& error) {
            exchange->failure = error.what();
        }
    });
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

    // The desktop program is asked on a worker while the host goes on; a cancelled or given-up wait
    // leaves everything as it is and shows nothing. The process and window functions behind the link
    // fail with a report; the user is told and the host goes on.
    try {
        const auto exchange = std::make_shared<DesktopExchange>();
        CModalWait wait(exchange->stop);
        WaitEnd end = runOnWorker(wait, exchange, [](DesktopExchange& each) {
            each.link = std::make_unique<CDesktopLink>(each.stop.get());
            each.version = checkDesktopVersion(*each.link);
        });
        if (end != WaitEnd::Done)
            return;
        // The host's window is enabled again before any box.
        if (!exchange->failure.empty() || exchange->version != DesktopVersion::Recent)
            wait.end();
        if (!exchange->failure.empty()) {
            reportDesktopLinkFailure(exchange->failure);
            return;
        }
        switch (exchange->version) {
        case DesktopVersion::TooOld:
            offerDownloadTooOld();
            return;
        case DesktopVersion::Unknown:
            if (exchange->link->wasCutShort())
                reportDesktopTooSlow();
            else
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
            exchange->command = buildExportCommand(*request);
            end = runOnWorker(wait, exchange,
                              [](DesktopExchange& each) { each.delivery = each.link->deliver(each.command); });
            if (end != WaitEnd::Done)
                return;
            wait.end();
            if (!exchange->failure.empty()) {
                reportDesktopLinkFailure(exchange->failure);
                return;
            }
            // Only an accepted export removes the marking, so that the user can try again.
            switch (exchange->delivery) {
            case Delivery::Accepted:
                areaSelector.start(false);
                if (leftOut > 0)
                    reportMapsLeftOut(static_cast<int>(request->count), leftOut);
                break;
            case Delivery::Busy:
                reportDesktopBusy();
                break;
            case Delivery::TooSlow:
                reportDesktopTooSlow();
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
