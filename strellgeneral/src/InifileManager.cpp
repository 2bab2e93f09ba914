#define STRELL_SOURCE "./src/Inifile"

#include "InifileManager.h"

#include "InifileFormat.h"
#include "InifileManagerImpl.h"
#include "SerializeMap.h"
#include "strell_exception.h"
#include "stringex.h"

#include <cstdio>

namespace Inifile {

bool CSection::GetValue(const std::string& key, std::string& value) const
{
    const auto found = m_Values.find(key);
    if (found == m_Values.end())
        return false;
    value = found->second;
    return true;
}

CManager::CManager() : m_Impl(new Impl) {}

CManager::~CManager() = default;

void CManager::Load(const std::string& file)
{
    using namespace detail;
    Source source = openSource(file);
    if (!source.reader)
        STRELL_THROW_AT(749, "Inifile::CManager::Load",
                        strell::formatString("Inifile::CManager::Load(\"%s\") failed!\n", source.resolvedName.c_str()));

    Impl fresh;
    fresh.writePath = m_Impl->writePath;
    fresh.path = source.openedPath;
    const std::string folder = placeholderFolder(fresh.path);
    std::string expanded;
    std::string_view piece;
    while (source.reader->Next(piece))
        fresh.lines.emplace_back(expandFolder(piece, folder, expanded));
    fresh.utf16 = source.reader->Utf16();
    source.reader.reset();

    CSectionPtr current;
    for (size_t i = 0; i < fresh.lines.size(); ++i) {
        if (!startsLine(fresh.lines, i))
            continue;
        const ParsedLine parsed = parseLine(stripLineEnd(fresh.lines[i]));
        if (parsed.kind == LineKind::Header) {
            const std::string name = strell::toLower(std::string(parsed.name));
            CSectionPtr& section = fresh.sections[name];
            if (!section)
                section.reset(new CSection(name));
            current = section;
        } else if (parsed.kind == LineKind::Key && current) {
            // The whole file is taken in: a value without a form in the code page is an error now.
            if (fresh.utf16 && hasNoAnsiForm(parsed.value))
                STRELL_THROW("Inifile::CManager::Load",
                             noAnsiFormError(file, current->GetName(), std::string(parsed.name)));
            current->SetValue(strell::toLower(std::string(parsed.name)), std::string(parsed.value));
        }
    }
    *m_Impl = std::move(fresh);
}

int CManager::GetString(const std::string& section, const std::string& key, std::string& value) const
{
    const CSectionPtr found = m_Impl->find(section);
    if (!found)
        return RC_SECTION_NOT_FOUND;
    return found->GetValue(strell::toLower(key), value) ? RC_SUCCESS : RC_VALUE_NOT_FOUND;
}

void CManager::GetStringThrow(const std::string& section, const std::string& key, std::string& value) const
{
    const int code = GetString(section, key, value);
    if (code != RC_SUCCESS)
        STRELL_THROW_AT(830, "Inifile::CManager::GetStringThrow",
                        strell::formatString("Error retrieving value \"%s\" from section \"%s\", err: %d %s",
                                             key.c_str(), section.c_str(), code, ResultText(code).c_str()));
}

int CManager::GetTags(const std::string& section, std::map<std::string, std::string>& tags) const
{
    const CSectionPtr found = m_Impl->find(section);
    if (!found)
        return RC_SECTION_NOT_FOUND;
    tags = found->GetValues();
    return RC_SUCCESS;
}

int CManager::GetTagnames(const std::string& section, std::vector<std::string>& names) const
{
    const CSectionPtr found = m_Impl->find(section);
    if (!found)
        return RC_SECTION_NOT_FOUND;
    for (const auto& entry : found->GetValues())
        names.push_back(entry.first);
    return RC_SUCCESS;
}

bool CManager::HasSection(const std::string& section) const
{
    return static_cast<bool>(m_Impl->find(section));
}

void CManager::GetList(const std::string& section, const std::string& prefix, std::vector<std::string>& values) const
{
    for (int i = 0;; ++i) {
        std::string value;
        if (GetString(section, strell::formatString("%s%d", prefix.c_str(), i), value) != RC_SUCCESS)
            return;
        values.push_back(value);
    }
}

void CManager::Translate(const std::map<std::string, std::string>& variables)
{
    const strell::CMap2TranslatorAdapter<> translator(variables);
    for (auto& section : m_Impl->sections)
        for (auto& entry : section.second->GetValues())
            entry.second = strell::ExpandPlaceholders(entry.second, translator);
}

void CManager::Dump() const
{
    for (const auto& section : m_Impl->sections) {
        std::printf("[%s]\n", section.first.c_str());
        for (const auto& entry : section.second->GetValues())
            std::printf("  %s = %s\n", entry.first.c_str(), entry.second.c_str());
        std::printf("\n\n");
    }
    std::fflush(stdout);
}

std::string CManager::GetPath() const
{
    return m_Impl->path;
}

const std::vector<std::string>& CManager::GetLines() const
{
    return m_Impl->lines;
}

void CManager::SetWritePath(const std::string& path)
{
    m_Impl->writePath = path;
}

std::string CManager::GetWritePath() const
{
    return m_Impl->writePath;
}

} // namespace Inifile
