#pragma once
// INI files: one call reads or writes one value (the file is opened, scanned and closed again),
// unless the file was loaded into the process-wide cache (Inifile::CacheFile).
//
// A file whose first line is "#redirect <path>" stands for the file at that path, and "{.}" in any
// line stands for the folder of the file. Sections and keys are compared case-insensitively.
// The non-throwing forms return a result code and touch their output only on RC_SUCCESS (except
// GetInt / GetDouble, which yield 0 when nothing was read); the Throw forms raise strell::exception.

#include <boost/shared_ptr.hpp>

#include <map>
#include <string>
#include <vector>

namespace Inifile {

enum ResultCode : int {
    RC_SUCCESS = 0,
    RC_ERROR = 1,
    RC_FILE_NOT_FOUND = 2,
    RC_SECTION_NOT_FOUND = 3,
    RC_VALUE_NOT_FOUND = 4,
    RC_REDIRECT_FILE_NOT_FOUND = 5,
};

// "SUCCESS", "ERROR", "FILE_NOT_FOUND", ... or "Unexpected".
std::string ResultText(int code);

class CManager;
typedef boost::shared_ptr<CManager> CManagerPtr;

int GetString(const std::string& file, const std::string& section, const std::string& key, std::string& value);
int GetInt(const std::string& file, const std::string& section, const std::string& key, int& value);
int GetDouble(const std::string& file, const std::string& section, const std::string& key, double& value);
void GetStringThrow(const std::string& file, const std::string& section, const std::string& key, std::string& value);
void GetIntThrow(const std::string& file, const std::string& section, const std::string& key, int& value);
void GetDoubleThrow(const std::string& file, const std::string& section, const std::string& key, double& value);
// raise true: the Throw form (result 0); raise false: the non-throwing form.
int GetString(const std::string& file, const std::string& section, const std::string& key, std::string& value,
              bool raise);
int GetInt(const std::string& file, const std::string& section, const std::string& key, int& value, bool raise);
int GetDouble(const std::string& file, const std::string& section, const std::string& key, double& value,
              bool raise);

// Writes key=value into the section (the first header of exactly that name), replacing the key's line or
// adding it after the header, or appends the section. The file is replaced as a whole only once the new
// content is complete. The cache is neither consulted nor updated.
// RC_SUCCESS; RC_FILE_NOT_FOUND / RC_REDIRECT_FILE_NOT_FOUND when the file cannot be written (or exists
// but cannot be read); RC_ERROR when reading or writing fails midway.
int SetString(const std::string& file, const std::string& section, const std::string& key, const std::string& value);
int SetInt(const std::string& file, const std::string& section, const std::string& key, int value);
int SetDouble(const std::string& file, const std::string& section, const std::string& key, double value);
void SetStringThrow(const std::string& file, const std::string& section, const std::string& key,
                    const std::string& value);
void SetIntThrow(const std::string& file, const std::string& section, const std::string& key, int value);
void SetDoubleThrow(const std::string& file, const std::string& section, const std::string& key, double value);

// From the cached manager of the file, or from a manager loaded for this call (whose load raises
// strell::exception when the file cannot be opened).
int GetTags(const std::string& file, const std::string& section, std::map<std::string, std::string>& tags);
int GetTagnames(const std::string& file, const std::string& section, std::vector<std::string>& names);
void GetTagsThrow(const std::string& file, const std::string& section, std::map<std::string, std::string>& tags);
void GetTagnamesThrow(const std::string& file, const std::string& section, std::vector<std::string>& names);
bool HasSection(const std::string& file, const std::string& section);

// Loads the file into the cache under its name exactly as given; a file that cannot be loaded is
// reported to the debugger output and not cached.
void CacheFile(const std::string& file);
void UncacheFile(const std::string& file);
// The cached manager of the file, or null.
CManagerPtr GetCachedManager(const std::string& file);

} // namespace Inifile
