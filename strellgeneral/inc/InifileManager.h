#pragma once
// An INI file held in memory: repeated sections of one name are merged, the last value of a
// repeated key wins. Names are stored lower case.

#include "Inifile.h"

#include <boost/shared_ptr.hpp>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Inifile {

class CSection {
public:
    explicit CSection(std::string name) : m_Name(std::move(name)) {}

    const std::string& GetName() const { return m_Name; }
    // Keys are given lower case.
    bool GetValue(const std::string& key, std::string& value) const;
    void SetValue(const std::string& key, const std::string& value) { m_Values[key] = value; }
    const std::map<std::string, std::string>& GetValues() const { return m_Values; }
    std::map<std::string, std::string>& GetValues() { return m_Values; }

private:
    std::string m_Name;
    std::map<std::string, std::string> m_Values;
};
typedef boost::shared_ptr<CSection> CSectionPtr;

class CManager {
public:
    CManager();
    ~CManager();
    CManager(const CManager&) = delete;
    CManager& operator=(const CManager&) = delete;

    // Reads the file (after its redirect); raises strell::exception when it cannot be opened.
    void Load(const std::string& file);

    int GetString(const std::string& section, const std::string& key, std::string& value) const;
    void GetStringThrow(const std::string& section, const std::string& key, std::string& value) const;
    // Stores the value in memory and writes it to the file (the write path when set); returns the
    // result of the file write (Inifile::SetString).
    int SetString(const std::string& section, const std::string& key, const std::string& value);

    int GetTags(const std::string& section, std::map<std::string, std::string>& tags) const;
    int GetTagnames(const std::string& section, std::vector<std::string>& names) const;
    bool HasSection(const std::string& section) const;
    // Appends the values of prefix0, prefix1, ... up to the first missing key.
    void GetList(const std::string& section, const std::string& prefix, std::vector<std::string>& values) const;
    // Replaces braced names in every value by the texts of the map.
    void Translate(const std::map<std::string, std::string>& variables);
    // Writes all sections to standard output.
    void Dump() const;

    // The path the file was opened under.
    std::string GetPath() const;
    const std::vector<std::string>& GetLines() const;
    void SetWritePath(const std::string& path);
    std::string GetWritePath() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_Impl;
};

} // namespace Inifile
