#pragma once
// A file's version resource as Windows reads it (GetFileVersionInfo).

#include <string>

namespace testsupport {

struct VersionInfo {
    std::string fileVersion;    // fixed part, "1.95.0.0"
    std::string productVersion; // fixed part
    // A string of the first language block; empty when the file has none of that name.
    std::string value(const std::string& name) const;

    std::string path;
    std::string block; // "\StringFileInfo\040704e4\"
};

// Throws when the file has no version resource.
VersionInfo readVersionInfo(const std::string& path);

} // namespace testsupport
