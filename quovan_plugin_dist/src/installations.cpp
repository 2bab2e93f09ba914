#include "installations.h"

#include "installer_log.h"
#include "messages.h"
#include "registry.h"

#include "ansi_path.h"
#include "fileutils.h"
#include "strell_exception.h"
#include "stringex.h"

#include <windows.h>

#include <vector>

#define STRELL_SOURCE "./src/installations"

namespace installer {

namespace {

bool isWideDirectory(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::vector<std::wstring> subKeyNames(HKEY key, const std::string& keyText)
{
    std::vector<std::wstring> names;
    const LONG ret = enumSubKeys(key, names);
    if (ret != ERROR_NO_MORE_ITEMS)
        STRELL_THROW_WIN32_CODE(strell::formatString("Could not list the sub-keys of \"%s\"!", keyText.c_str()), ret);
    return names;
}

// One installation sub-key: hands it to the handler, skips it with its log line, or raises
// strell::exception when it cannot be used.
void visitInstallation(HKEY productKey, const std::string& productKeyText, const std::wstring& subKey,
                       const std::string& product, InstallerLog& log, const InstallationHandler& handler)
{
    std::wstring wideFolder = folderFromSubKeyName(subKey);
    if (wideFolder.empty())
        wideFolder = readFolderValue(productKey, subKey, productKeyText + "\\" + strell::toAnsiText(subKey), L"DestDir");
    if (wideFolder.empty()) {
        log.line("        spipped1: no ':'");
        return;
    }
    if (!isWideDirectory(wideFolder)) {
        log.line(strell::formatString("        spipped2: directory does not exist '%s'",
                                      strell::toAnsiText(wideFolder).c_str()));
        return;
    }
    std::string folder;
    if (!strell::toAnsiPath(wideFolder, folder))
        STRELL_THROW("walkInstallations",
                     text::folderWithoutName("Installationsverzeichnis", strell::toAnsiText(wideFolder)));
    const std::string pluginDir = strell::joinPath(folder, "bin\\PlugIn");
    // Looked for in its wide form: the ANSI functions see nothing at a path beyond their length, and
    // such an installation is to fail with its reason rather than vanish from the summary.
    if (!isWideDirectory(strell::toWideText(pluginDir))) {
        log.line(strell::formatString("        spipped3: directory does not exist '%s'", pluginDir.c_str()));
        return;
    }
    handler(product, pluginDir);
}

} // namespace

std::wstring folderFromSubKeyName(const std::wstring& subKeyName)
{
    const size_t colon = subKeyName.find(L':');
    if (colon == std::wstring::npos || colon == 0)
        return std::wstring();
    std::wstring folder = subKeyName.substr(colon - 1);
    for (wchar_t& c : folder)
        if (c == L'/')
            c = L'\\';
    return folder;
}

std::string normaliseBaseKey(std::string baseKey)
{
    while (!baseKey.empty() && baseKey.back() == '\\')
        baseKey.pop_back();
    return baseKey;
}

void walkInstallations(const std::string& baseKey, InstallerLog& log, const InstallationHandler& handler,
                       const FailureHandler& failure)
{
    const strell::unique_hkey base = regOpen(baseKey);
    std::vector<std::wstring> products;
    enumSubKeys(base.get(), products);
    for (size_t i = 0; i < products.size(); ++i) {
        const std::string productKeyText = baseKey + "\\" + strell::toAnsiText(products[i]);
        const std::string product = strell::getFileName(productKeyText);
        log.line(strell::formatString(" key %2d \"%s\"", static_cast<int>(i), productKeyText.c_str()));

        strell::unique_hkey productKey;
        std::vector<std::wstring> installations;
        try {
            productKey = regOpenSubKey(base.get(), products[i], productKeyText);
            installations = subKeyNames(productKey.get(), productKeyText);
        } catch (const strell::exception& e) {
            failure(product, e.text());
            continue;
        }
        for (size_t j = 0; j < installations.size(); ++j) {
            const std::wstring& subKey = installations[j];
            log.line(strell::formatString("   sub %2d \"%s\"", static_cast<int>(j),
                                          strell::toAnsiText(subKey).c_str()));
            try {
                visitInstallation(productKey.get(), productKeyText, subKey, product, log, handler);
            } catch (const strell::exception& e) {
                failure(product, e.text());
            }
        }
    }
}

} // namespace installer
