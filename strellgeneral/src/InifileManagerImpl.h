#pragma once
// The state of an INI manager, shared by its reading (InifileManager.cpp) and writing (InifileWrite.cpp)
// sources.

#include "InifileManager.h"
#include "stringex.h"

#include <map>
#include <string>
#include <vector>

namespace Inifile {

struct CManager::Impl {
    std::vector<std::string> lines; // as read, line ends kept, "{.}" replaced
    std::map<std::string, CSectionPtr> sections;
    std::string path;
    std::string writePath;
    bool utf16 = false; // the file was UTF-16 (lines hold its text in the ANSI code page)

    CSectionPtr find(const std::string& section) const
    {
        const auto found = sections.find(strell::toLower(section));
        return found == sections.end() ? CSectionPtr() : found->second;
    }
};

} // namespace Inifile
