#include "folder_contents.h"

#include <windows.h>

#include <algorithm>
#include <regex>

namespace testsupport {

std::vector<std::string> folderContents(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::string name = data.cFileName;
        if (name != "." && name != "..")
            names.push_back(name);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

bool endsWithReport(const std::string& text, const std::string& source, const std::string& function)
{
    const std::string tail = "\"]";
    const size_t open = text.rfind(" [\"");
    if (open == std::string::npos || text.size() < tail.size() ||
        text.compare(text.size() - tail.size(), tail.size(), tail) != 0)
        return false;
    const std::string location = text.substr(open + 3, text.size() - open - 3 - tail.size());
    const std::regex pattern(R"(^(.*):(\d+):(.*)$)");
    std::smatch match;
    return std::regex_match(location, match, pattern) && match[1] == source && match[3] == function;
}

} // namespace testsupport
