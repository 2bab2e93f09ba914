#define STRELL_SOURCE "./src/Inifile"

#include "Inifile.h"

#include "InifileFormat.h"
#include "InifileManager.h"
#include "strell_exception.h"
#include "stringex.h"

#include <cstdlib>

namespace Inifile {

namespace {

std::string retrievalError(const std::string& file, const std::string& section, const std::string& key, int code)
{
    return strell::formatString("Error retrieving value \"%s\" from section \"%s\" in file \"%s\", err: %d %s",
                                key.c_str(), section.c_str(), file.c_str(), code, ResultText(code).c_str());
}

CManagerPtr managerFor(const std::string& file)
{
    CManagerPtr manager = GetCachedManager(file);
    if (!manager) {
        manager.reset(new CManager);
        manager->Load(file);
    }
    return manager;
}

} // namespace

std::string ResultText(int code)
{
    switch (code) {
    case RC_SUCCESS:
        return "SUCCESS";
    case RC_ERROR:
        return "ERROR";
    case RC_FILE_NOT_FOUND:
        return "FILE_NOT_FOUND";
    case RC_SECTION_NOT_FOUND:
        return "SECTION_NOT_FOUND";
    case RC_VALUE_NOT_FOUND:
        return "VALUE_NOT_FOUND";
    case RC_REDIRECT_FILE_NOT_FOUND:
        return "REDIRECT_FILE_NOT_FOUND";
    default:
        return "Unexpected";
    }
}

int GetString(const std::string& file, const std::string& section, const std::string& key, std::string& value)
{
    using namespace detail;
    if (const CManagerPtr cached = GetCachedManager(file))
        return cached->GetString(section, key, value);

    Source source = openSource(file);
    if (!source.reader)
        return source.redirects ? RC_REDIRECT_FILE_NOT_FOUND : RC_FILE_NOT_FOUND;

    const std::string wantedSection = strell::toLower(section);
    const std::string wantedKey = strell::toLower(key);
    const std::string folder = placeholderFolder(source.openedPath);
    // Only the first section of the wanted name is searched; reading stops where it ends.
    bool inWantedSection = false;
    bool found = false;
    std::string expanded;
    std::string_view piece;
    // A line longer than a piece arrives in several; it is judged by its first piece alone, so that the
    // tail of a long comment or value never reads as a line of its own.
    bool lineStart = true;
    while (source.reader->Next(piece)) {
        const bool startsLine = lineStart;
        lineStart = !piece.empty() && piece.back() == '\n';
        if (!startsLine)
            continue;
        const std::string_view line = expandFolder(stripLineEnd(piece), folder, expanded);
        const ParsedLine parsed = parseLine(line);
        if (parsed.kind == LineKind::Comment)
            continue;
        if (parsed.kind == LineKind::Header)
            inWantedSection = !wantedSection.empty() && equalsLowered(parsed.name, wantedSection);
        if (inWantedSection) {
            found = true;
            if (parsed.kind == LineKind::Key && equalsLowered(parsed.name, wantedKey)) {
                // Never a look-alike or a default in its place: the caller would act on another value.
                if (source.reader->Utf16() && hasNoAnsiForm(parsed.value))
                    STRELL_THROW("Inifile::GetString", noAnsiFormError(file, section, key));
                value.assign(parsed.value.data(), parsed.value.size());
                return RC_SUCCESS;
            }
        } else if (found) {
            break;
        }
    }
    return found ? RC_VALUE_NOT_FOUND : RC_SECTION_NOT_FOUND;
}

int GetInt(const std::string& file, const std::string& section, const std::string& key, int& value)
{
    std::string text;
    const int code = GetString(file, section, key, text);
    value = std::atoi(text.c_str());
    return code;
}

int GetDouble(const std::string& file, const std::string& section, const std::string& key, double& value)
{
    std::string text;
    const int code = GetString(file, section, key, text);
    value = code == RC_SUCCESS ? strell::stringToFloat(text) : 0.0;
    return code;
}

void GetStringThrow(const std::string& file, const std::string& section, const std::string& key, std::string& value)
{
    const int code = GetString(file, section, key, value);
    if (code != RC_SUCCESS)
        STRELL_THROW_AT(507, "Inifile::GetStringThrow", retrievalError(file, section, key, code));
}

void GetIntThrow(const std::string& file, const std::string& section, const std::string& key, int& value)
{
    std::string text;
    const int code = GetString(file, section, key, text);
    if (code != RC_SUCCESS)
        STRELL_THROW_AT(518, "Inifile::GetIntThrow", retrievalError(file, section, key, code));
    value = std::atoi(text.c_str());
}

void GetDoubleThrow(const std::string& file, const std::string& section, const std::string& key, double& value)
{
    std::string text;
    const int code = GetString(file, section, key, text);
    if (code != RC_SUCCESS)
        STRELL_THROW_AT(529, "Inifile::GetDoubleThrow", retrievalError(file, section, key, code));
    value = strell::stringToFloat(text);
}

int GetString(const std::string& file, const std::string& section, const std::string& key, std::string& value,
              bool raise)
{
    if (!raise)
        return GetString(file, section, key, value);
    GetStringThrow(file, section, key, value);
    return RC_SUCCESS;
}

int GetInt(const std::string& file, const std::string& section, const std::string& key, int& value, bool raise)
{
    if (!raise)
        return GetInt(file, section, key, value);
    GetIntThrow(file, section, key, value);
    return RC_SUCCESS;
}

int GetDouble(const std::string& file, const std::string& section, const std::string& key, double& value, bool raise)
{
    if (!raise)
        return GetDouble(file, section, key, value);
    GetDoubleThrow(file, section, key, value);
    return RC_SUCCESS;
}

int GetTags(const std::string& file, const std::string& section, std::map<std::string, std::string>& tags)
{
    return managerFor(file)->GetTags(section, tags);
}

int GetTagnames(const std::string& file, const std::string& section, std::vector<std::string>& names)
{
    return managerFor(file)->GetTagnames(section, names);
}

void GetTagsThrow(const std::string& file, const std::string& section, std::map<std::string, std::string>& tags)
{
    const int code = GetTags(file, section, tags);
    if (code != RC_SUCCESS)
        STRELL_THROW_AT(594, "Inifile::GetTagsThrow",
                        strell::formatString("Error getting tags for section \"%s\" in file \"%s\", err: %d %s",
                                             section.c_str(), file.c_str(), code, ResultText(code).c_str()));
}

void GetTagnamesThrow(const std::string& file, const std::string& section, std::vector<std::string>& names)
{
    const int code = GetTagnames(file, section, names);
    if (code != RC_SUCCESS)
        STRELL_THROW_AT(616, "Inifile::GetTagnamesThrow",
                        strell::formatString("Error getting tagnames for section \"%s\" in file \"%s\", err: %d %s",
                                             section.c_str(), file.c_str(), code, ResultText(code).c_str()));
}

bool HasSection(const std::string& file, const std::string& section)
{
    return managerFor(file)->HasSection(section);
}

} // namespace Inifile
