#include "messages.h"

#include "stringex.h"

namespace installer {

int messageBox(const BoxKind& kind, const std::string& text)
{
    return MessageBoxA(nullptr, text.c_str(), kind.caption, kind.style);
}

// Lists of products and paths are appended, not formatted, so that no list is ever cut short.
namespace text {

const char kNoInstallations[] =
    "Es konnten leider keine installierten Geogridkarten (Top50, Austrian Map, ...) gefunden werden!";

std::string applicationsRunning(const std::vector<std::string>& programPaths)
{
    std::string list;
    for (const std::string& path : programPaths)
        list += "\t>> " + path + "\n";
    return "Es wurden laufende Geogrid Applikation gefunden!\n"
           "Bitte beenden Sie alle Top50, Austrian Map, ... und starten Sie die Installation dann erneut.\n\n"
           "Laufende Applikationen:\n\n" +
           list + "\n\nWollsen Sie die Installation abbrechen?";
}

const char kRunningProgramsUnknown[] =
    "(Die laufenden Programme konnten nicht ermittelt werden; eine Geogrid Applikation könnte laufen.)";

std::string noWriteAccess(const std::string& product, const std::string& pluginDir)
{
    return "Schreiben in das Plugin Verzeichnis von " + product + " fehlgeschlagen!\n(" + pluginDir +
           ")\n\nMöglicherweise haben Sie keine Schreibrechte für dieses Verzeichnis.\n\n"
           "Bitte melden Sie sich als Admministrator an, oder prüfen Sie die Schreibrechte auf das Verzeichnis.";
}

std::string pluginFolderTooLong(const std::string& pluginDir, size_t longest)
{
    return strell::formatString("Der Pfad des Plugin Verzeichnisses ist zu lang (%d Zeichen, höchstens %d): \"",
                                static_cast<int>(pluginDir.size()), static_cast<int>(longest)) +
           pluginDir + "\"";
}

std::string pluginNotFromPublisher(const std::string& pluginFile)
{
    return "Plugin datei ist nicht vom Herausgeber des Installationsprogramms signiert \"" + pluginFile +
           "\"!\nSie wurde verändert oder stammt von jemand anderem und wird nicht installiert. "
           "Bitte laden Sie das Plugin Paket erneut herunter.";
}

std::string installationFailed(const std::string& product, const std::string& error)
{
    return "Die Installation des Plugins für \"" + product +
           "\" ist fehlgeschlagen!\nBitte stellen Sie sicher, dass das Programm nicht gerade läuft!\n\n" + error;
}

std::string removeSummary(int doneCount, const std::string& doneList, int failedCount, const std::string& failedList)
{
    std::string summary =
        strell::formatString("Die Quovan Schnittstelle wurde aus %d installierten Programm(en) entfernt!\n\n",
                             doneCount) +
        doneList;
    if (failedCount > 0)
        summary += strell::formatString(
                       "\n\nBei %d installierten Programm(en) ist das Entfernen des Plugins fehlgeschlagen:\n\n",
                       failedCount) +
                   failedList;
    return summary;
}

std::string folderWithoutName(const std::string& folderKind, const std::string& folder)
{
    return folderKind + " kann nicht verwendet werden \"" + folder +
           "\"! Sein Name enthält Zeichen, die das System hier nicht darstellen kann, und es hat keinen kurzen "
           "Namen (8.3).";
}

std::string logNotWritten(const std::string& logFile)
{
    return "\n\nDas Fehlerprotokoll konnte nicht geschrieben werden:\n\n" + logFile + "\n";
}

std::string installSummary(int doneCount, const std::string& doneList, int failedCount, const std::string& failedList)
{
    std::string summary =
        strell::formatString("Die Quovan Schnittstelle wurde für %d installierte(s) Programm(e) installiert!\n\n",
                             doneCount) +
        doneList;
    if (failedCount > 0)
        summary += strell::formatString(
                       "\n\nBei %d installierten Programm(en) ist die Installation des Plugins fehlgeschlagen:\n\n",
                       failedCount) +
                   failedList;
    return summary;
}

std::string mailQuestion(const std::string& logFile, const std::string& supportAddress)
{
    return "Während der Installation des Plugins sind Fehler aufgetreten.\n\n"
           "Das Fehlerprotokoll befindet sich in der folgenden Datei:\n\n" +
           logFile + "\n\nWollen Sie das Fehlerprotokoll and " + supportAddress + " schicken?";
}

std::string mailFailed(const std::string& logFile)
{
    return "Senden des Fehlerprotokolls fehlgeschlagen!\n\n"
           "Wenn Sie das Protokoll manuell versenden wollen, es befindet sich in der folgenden Datei:\n\n" +
           logFile;
}

} // namespace text

} // namespace installer
