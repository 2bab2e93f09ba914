#include "folder_contents.h"

#include "win32_handles.h"

#include <windows.h>

#include <algorithm>

namespace testsupport {

std::vector<std::string> folderContents(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    const strell::unique_hfind find(FindFirstFileA((folder + "\\*").c_str(), &data));
    if (!find)
        return names;
    do {
        const std::string name = data.cFileName;
        if (name != "." && name != "..")
            names.push_back(name);
    } while (FindNextFileA(find.get(), &data));
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace testsupport
