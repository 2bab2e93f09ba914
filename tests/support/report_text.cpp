#include "report_text.h"

#include <regex>

namespace testsupport {

bool endsWithReport(const std::string& text, const std::string& source, const std::string& function)
{
    const std::string tail = "\"]";
    const size_t open = text.rfind(" [\"");
    if (open == std::string::npos || text.size() < tail.size() ||
        text.compare(text.size() - tail.size(), tail.size(), tail) != 0)
        return false;
    const std::string location = text.substr(open + 3, text.size() - open - 3 - tail.size());
    const std::regex pattern(R"(^(.*):(\d+):(.*)$)");
    std::smatch match;
    return std::regex_match(location, match, pattern) && match[1] == source && match[3] == function;
}

} // namespace testsupport
