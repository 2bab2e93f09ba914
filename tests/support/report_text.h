#pragma once
// Checking the location part of the library's error reports.

#include <string>

namespace testsupport {

// True when the text ends with the report part " [\"<source>:<line>:<function>\"]" naming this source
// and function (the line is not compared).
bool endsWithReport(const std::string& text, const std::string& source, const std::string& function);

} // namespace testsupport
