#include "web_addresses.h"

#include <windows.h>
#include <shellapi.h>

namespace web {

namespace {
const char* const kScheme = "http://";
}

std::string installPageUrl()
{
    return std::string(kScheme) + kMakerHost + "/install";
}

void openUrl(const std::string& url)
{
    ShellExecuteA(nullptr, "open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

} // namespace web
