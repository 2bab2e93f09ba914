#include "desktop/desktop_messages.h"

#include "com/debug_out.h"
#include "com/plugin_module.h"
#include "desktop/web_addresses.h"

#include "stringex.h"

#include <windows.h>

namespace {

const char* const kCaptionInformation = "Information";
const char* const kCaptionError = "Error";

void offerDownload(const std::string& question)
{
    if (plugin::messageBox(question, kCaptionInformation, MB_YESNO | MB_SETFOREGROUND) == IDYES)
        web::openUrl(web::downloadUrl());
}

// "1 Karte", "2 Karten".
std::string maps(int count)
{
    return strell::formatString(count == 1 ? "%d Karte" : "%d Karten", count);
}

} // namespace

void offerDownloadNotInstalled()
{
    offerDownload("Quovan Desktop ist nicht installiert.\n\n"
                  "Der Quovan Desktop ist erforderlich um Karten auf das Mobiltelefon zu transferieren.\n"
                  "Du kannst den Quovan Desktop von \"" +
                  web::downloadLocation() + "\" herunterladen\n\nDownload gleich starten?");
}

void offerDownloadTooOld()
{
    offerDownload("Der installierte Quovan Desktop ist zu alt. Du benötigst mindestens die Version 0.95 oder "
                  "höher.\n\nDu kannst dir eine aktuelle Version des Quovan Desktop von \"" +
                  web::downloadLocation() + "\" herunterladen\n\nDownload gleich starten?");
}

void reportDesktopLinkFailure(const std::string& report)
{
    debugOut("Quovan Desktop link failed: %s", report.c_str());
    plugin::messageBox("Der Quovan Desktop konnte nicht angesprochen werden.\n\n"
                       "Die Karten wurden nicht exportiert. Bitte versuche es noch einmal.",
                       kCaptionError, MB_OK | MB_SETFOREGROUND);
}

void reportDesktopBusy()
{
    plugin::messageBox("Der Quovan Desktop ist gerade beschäftigt.\n\n"
                       "Die Karten wurden nicht exportiert. Bitte versuche es noch einmal, wenn er bereit ist.",
                       kCaptionInformation, MB_OK | MB_SETFOREGROUND);
}

void reportDesktopTooSlow()
{
    debugOut("Quovan Desktop link failed: not answering in time");
    plugin::messageBox("Der Quovan Desktop hat nicht rechtzeitig geantwortet.\n\n"
                       "Die Karten wurden nicht exportiert. Bitte versuche es noch einmal.",
                       kCaptionError, MB_OK | MB_SETFOREGROUND);
}

void reportMapsLeftOut(int exported, int leftOut)
{
    plugin::messageBox(std::string(exported == 1 ? "Es wurde " : "Es wurden ") + maps(exported) + " exportiert und " +
                           maps(leftOut) + " ausgelassen.\n\nEs werden höchstens 64 Karten exportiert. Karten mit "
                           "zu langem Dateipfad oder ungültigen Koordinaten werden ausgelassen.",
                       kCaptionInformation, MB_OK | MB_SETFOREGROUND);
}
