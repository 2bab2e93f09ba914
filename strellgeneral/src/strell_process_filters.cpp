#define STRELL_SOURCE "./src/strell_process_filters"

#include "strell_process.h"

#include "strell_exception.h"
#include "stringex.h"

#include <boost/regex.hpp>

#include <algorithm>

namespace strell {

namespace {

boost::regex compilePattern(const std::string& pattern)
{
    return boost::regex(pattern.empty() ? std::string(".*") : pattern, boost::regex::perl);
}

} // namespace

// ---------------------------------------------------------------------------------------------------
// Filters

std::string extractFilterString(filter_mode mode, const ProcessInfo& info)
{
    switch (mode) {
    case FILTER_PROCESSID:
        return std::to_string(info.ProcessId);
    case FILTER_COMMANDLINE:
        return info.CommandLine;
    case FILTER_BASENAME:
        return info.ExeModuleInfo.BaseName;
    case FILTER_FULLPATHNAME:
        return info.ExeModuleInfo.FullPathName;
    default:
        STRELL_THROW("strell::extractFilterString", formatString("invalid filter_mode %d", static_cast<int>(mode)));
    }
}

void filterProcessInfo(const ProcessInfoList& in, ProcessInfoList& out, std::string pattern, filter_mode mode,
                       bool invert, bool exact)
{
    const boost::regex expression = compilePattern(pattern);
    ProcessInfoList kept;
    for (const ProcessInfo& info : in) {
        const std::string text = extractFilterString(mode, info);
        const bool matches = exact ? text == pattern : boost::regex_search(text, expression);
        if (matches != invert)
            kept.push_back(info);
    }
    out.swap(kept);
}

void getProcessIdsFromInfo(const ProcessInfoList& infos, ProcessIdList& ids)
{
    ids.clear();
    for (const ProcessInfo& info : infos)
        ids.push_back(info.ProcessId);
}

bool isProcessIdInList(const ProcessIdList& ids, DWORD processId)
{
    return std::find(ids.begin(), ids.end(), processId) != ids.end();
}

namespace {

// The title as the system keeps it, in one request per window: a filter over every top-level window
// pays for each of them. No WM_GETTEXT goes to a window of this process, and a window that is gone
// has no title.
std::string storedWindowTitle(HWND window)
{
    wchar_t title[2048] = {};
    const int length = InternalGetWindowText(window, title, static_cast<int>(sizeof title / sizeof title[0]));
    if (length <= 0)
        return std::string();
    const int wide = static_cast<int>(wcsnlen(title, std::min<size_t>(static_cast<size_t>(length), 2047)));
    std::string text(static_cast<size_t>(wide) * 2, '\0');
    text.resize(static_cast<size_t>(std::max(
        0, WideCharToMultiByte(CP_ACP, 0, title, wide, &text[0], static_cast<int>(text.size()), nullptr, nullptr))));
    return text;
}

} // namespace

void filterWindowsByTitle(const WindowList& in, std::string pattern, bool invert, WindowList& out)
{
    const boost::regex expression = compilePattern(pattern);
    WindowList kept;
    for (HWND window : in) {
        if (boost::regex_search(storedWindowTitle(window), expression) != invert)
            kept.push_back(window);
    }
    out.swap(kept);
}

} // namespace strell
