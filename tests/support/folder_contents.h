#pragma once
// Listing a folder's files, to prove that an operation left nothing behind.

#include <string>
#include <vector>

namespace testsupport {

// Names of the entries of the folder (without "." and ".."), sorted.
std::vector<std::string> folderContents(const std::string& folder);

} // namespace testsupport
