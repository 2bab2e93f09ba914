#pragma once
// The DLLs a program file imports, read from its import directories (PE32 and PE32+), without loading it.

#include <string>
#include <vector>

namespace testsupport {

// Names as the file holds them, from the import and the delay-load directory; throws when the file is
// not a readable PE file.
std::vector<std::string> importedDlls(const std::string& path);

// The imports outside the system DLLs the deliverables may use (compared without case).
std::vector<std::string> foreignImports(const std::string& path);

} // namespace testsupport
