#pragma once
// Listing a folder's files, to prove that an operation left nothing behind.

#include <string>
#include <vector>

namespace testsupport {

// Names of the entries of the folder (without "." and ".."), sorted.
std::vector<std::string> folderContents(const std::string& folder);

// For a report text that ends with "[\"<source>:<line>:<function>\"]"; true when the report
// part names the source and function (the line is not compared).
bool endsWithReport(const std::string& text, const std::string& source, const std::string& function);

} // namespace testsupport
