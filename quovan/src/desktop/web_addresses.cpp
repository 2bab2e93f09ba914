#include "desktop/web_addresses.h"

#include <windows.h>
#include <shellapi.h>

namespace web {

namespace {
const char* const kScheme = "http://";
const char* const kDownloadPath = "/downloads/quovan.msi";
} // namespace

std::string installPageUrl()
{
    return std::string(kScheme) + kMakerHost + "/install";
}

std::string downloadUrl()
{
    return std::string(kScheme) + downloadLocation();
}

std::string downloadLocation()
{
    return std::string(kMakerHost) + kDownloadPath;
}

void openUrl(const std::string& url)
{
    ShellExecuteA(nullptr, "open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

} // namespace web
