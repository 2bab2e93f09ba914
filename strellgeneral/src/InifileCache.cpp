#include "Inifile.h"

#include "InifileManager.h"
#include "strell_exception.h"
#include "stringex.h"

namespace Inifile {

namespace {
// Created on first use, destroyed at process exit.
std::map<std::string, CManagerPtr>& cache()
{
    static std::map<std::string, CManagerPtr> managers;
    return managers;
}
} // namespace

void CacheFile(const std::string& file)
{
    CManagerPtr manager(new CManager);
    try {
        manager->Load(file);
    } catch (const strell::exception& e) {
        strell::debugOutput("Could not cache file \"" + file + "\", error: " + e.text());
        return;
    }
    cache()[file] = manager;
}

void UncacheFile(const std::string& file)
{
    cache().erase(file);
}

CManagerPtr GetCachedManager(const std::string& file)
{
    const auto& managers = cache();
    if (managers.empty())
        return CManagerPtr();
    const auto found = managers.find(file);
    return found == managers.end() ? CManagerPtr() : found->second;
}

} // namespace Inifile
