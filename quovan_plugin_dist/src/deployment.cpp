#include "deployment.h"

#include "frontend.h"
#include "installer_log.h"
#include "messages.h"
#include "plugin_file.h"
#include "plugin_signature.h"

#include "TemporaryFile.h"
#include "ansi_path.h"
#include "fileutils.h"
#include "strell_exception.h"
#include "strell_systeminfo.h"
#include "stringex.h"

#include <windows.h>

#define STRELL_SOURCE "./src/deployment"

namespace installer {

namespace {
// Also true for a file that someone holds open without sharing: its deletion fails and says so.
bool isFile(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// False when the program's folder has no name in the ANSI code page: the library then names it by a
// look-alike, and "not found" would mislead.
bool representableProgramFolder(std::wstring& folder)
{
    folder = strell::getExecutableWidePath();
    const size_t separator = folder.find_last_of(L'\\');
    folder.resize(separator == std::wstring::npos ? 0 : separator);
    std::string ansi;
    return folder.empty() || strell::toAnsiPath(folder, ansi);
}
} // namespace

WriteTest testWriteAccess(const std::string& folder, InstallerLog& log, unsigned long& error)
{
    error = 0;
    strell::CTemporaryFile probe;
    if (!probe.Create(folder)) {
        error = GetLastError();
        return error == ERROR_ACCESS_DENIED || error == ERROR_WRITE_PROTECT ? WriteTest::Denied : WriteTest::Failed;
    }
    const std::string path = probe.GetPath();
    if (!probe.Remove()) {
        const DWORD removeError = GetLastError();
        log.line(strell::formatString("        write test file not deleted: '%s' %s", path.c_str(),
                                      strell::getWin32ErrorText(removeError).c_str()));
    }
    return WriteTest::Writable;
}

PluginDeployment::PluginDeployment(bool remove, std::string pluginFileName, InstallerLog& log, Frontend& frontend)
    : m_Remove(remove), m_PluginFileName(std::move(pluginFileName)), m_Log(log), m_Frontend(frontend)
{
}

void PluginDeployment::deploy(const std::string& product, const std::string& pluginDir)
{
    ++m_Result.foundCount;
    // Beyond the limit the file functions fail or see nothing: the folder would be skipped, or probed
    // and copied into by halves.
    if (pluginDir.size() > kLongestPluginFolder) {
        recordFailure(product, text::pluginFolderTooLong(pluginDir, kLongestPluginFolder), "Pfad zu lang");
        return;
    }
    const std::string target = strell::joinPath(pluginDir, m_PluginFileName);

    unsigned long error = 0;
    switch (testWriteAccess(pluginDir, m_Log, error)) {
    case WriteTest::Writable:
        break;
    case WriteTest::Denied:
        m_Log.line(strell::formatString("        no write access to : '%s'", pluginDir.c_str()));
        m_Frontend.show(box::kNoWriteAccess, text::noWriteAccess(product, pluginDir));
        break;
    case WriteTest::Failed:
        // The copy or deletion that follows shows its own failure, if any.
        m_Log.line(strell::formatString("        write test failed: '%s' %s", pluginDir.c_str(),
                                        strell::getWin32ErrorText(error).c_str()));
        break;
    }

    if (m_Remove)
        removePlugin(product, target);
    else
        installPlugin(product, target);
}

void PluginDeployment::fail(const std::string& product, const std::string& error)
{
    ++m_Result.foundCount;
    recordFailure(product, error);
}

void PluginDeployment::recordFailure(const std::string& product, const std::string& error, const std::string& listNote)
{
    m_Result.failedList += product + (listNote.empty() ? "" : " (" + listNote + ")") + "\n";
    ++m_Result.failedCount;
    m_Log.error(error);
    if (!m_Remove)
        m_Frontend.show(box::kInstallationFailed, text::installationFailed(product, error));
}

void PluginDeployment::removePlugin(const std::string& product, const std::string& target)
{
    try {
        if (isFile(target)) {
            m_Log.line(strell::formatString("        delete: '%s'", target.c_str()));
            strell::deleteFileSys(target);
            // Wine reports a deletion on read-only media as done; only a file that is gone counts.
            if (isFile(target))
                STRELL_THROW("removePlugin",
                             strell::formatString("Plugin datei konnte nicht gelöscht werden \"%s\"!", target.c_str()));
            m_Result.doneList += product + "\n";
            ++m_Result.doneCount;
        } else {
            m_Log.line(strell::formatString("        not found: '%s'", target.c_str()));
        }
    } catch (const strell::exception& e) {
        recordFailure(product, e.text());
    }
}

const std::string& PluginDeployment::checkedSource()
{
    if (!m_SourceChecked) {
        m_SourceChecked = true;
        m_Source = strell::joinPath(strell::getExecutableFolder(), m_PluginFileName);
        unsigned long error = 0;
        try {
            std::wstring ownFolder;
            if (!representableProgramFolder(ownFolder))
                STRELL_THROW("WinMain", text::folderWithoutName("Das Verzeichnis des Installationsprogramms",
                                                                strell::toAnsiText(ownFolder)));
            switch (inspectPluginFile(m_Source, error, m_SourceFile)) {
            case PluginFileState::Usable:
                checkSignature();
                break;
            case PluginFileState::Missing:
                STRELL_THROW("WinMain",
                             strell::formatString("Plugin datei konnte nicht gefunden werden \"%s\"!", m_Source.c_str()));
            case PluginFileState::Unreadable:
                STRELL_THROW_WIN32_CODE(
                    strell::formatString("Plugin datei konnte nicht gelesen werden \"%s\"!", m_Source.c_str()), error);
            case PluginFileState::Damaged:
                STRELL_THROW("WinMain", strell::formatString("Plugin datei ist beschädigt oder keine %s \"%s\"!",
                                                             kPluginKind, m_Source.c_str()));
            }
        } catch (const strell::exception& e) {
            m_SourceError = e.text();
        }
    }
    if (!m_SourceError.empty())
        throw strell::exception(m_SourceError);
    return m_Source;
}

void PluginDeployment::checkSignature()
{
    const SignatureCheck check = checkPluginSignature(m_Source, m_SourceFile.get());
    m_Log.line("        " + check.detail);
    if (check.verdict == SignatureVerdict::Refused)
        STRELL_THROW("WinMain", text::pluginNotFromPublisher(m_Source));
}

void PluginDeployment::installPlugin(const std::string& product, const std::string& target)
{
    try {
        const std::string& source = checkedSource();
        m_Log.line(strell::formatString("        copy: '%s' => '%s'", source.c_str(), target.c_str()));
        strell::copyFile(source, target);
        m_Result.doneList += product + "\n";
        ++m_Result.doneCount;
    } catch (const strell::exception& e) {
        recordFailure(product, e.text());
    }
}

} // namespace installer
