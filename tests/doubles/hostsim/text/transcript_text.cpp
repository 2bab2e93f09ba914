#include "transcript_text.h"

#include <olectl.h>

#include <cstdio>
#include <cstdlib>

namespace hostsim {

namespace {

struct NamedResult {
    HRESULT result;
    const char* name;
};

const NamedResult kNames[] = {
    {S_OK, "S_OK"},
    {S_FALSE, "S_FALSE"},
    {E_FAIL, "E_FAIL"},
    {E_OUTOFMEMORY, "E_OUTOFMEMORY"},
    {E_POINTER, "E_POINTER"},
    {E_NOINTERFACE, "E_NOINTERFACE"},
    {E_INVALIDARG, "E_INVALIDARG"},
    {E_UNEXPECTED, "E_UNEXPECTED"},
    {E_NOTIMPL, "E_NOTIMPL"},
    {E_ACCESSDENIED, "E_ACCESSDENIED"},
    {CLASS_E_NOAGGREGATION, "CLASS_E_NOAGGREGATION"},
    {CLASS_E_CLASSNOTAVAILABLE, "CLASS_E_CLASSNOTAVAILABLE"},
    {REGDB_E_CLASSNOTREG, "REGDB_E_CLASSNOTREG"},
    {SELFREG_E_CLASS, "SELFREG_E_CLASS"},
};

} // namespace

std::string quote(const std::string& text)
{
    std::string quoted = "\"";
    for (char c : text) {
        switch (c) {
        case '\\': quoted += "\\\\"; break;
        case '"': quoted += "\\\""; break;
        case '\n': quoted += "\\n"; break;
        case '\r': quoted += "\\r"; break;
        case '\t': quoted += "\\t"; break;
        default: quoted += c; break;
        }
    }
    return quoted + "\"";
}

std::string resultName(HRESULT result)
{
    for (const NamedResult& named : kNames)
        if (named.result == result)
            return named.name;
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08lX", static_cast<unsigned long>(result));
    return buffer;
}

bool parseResult(const std::string& text, HRESULT& result)
{
    for (const NamedResult& named : kNames)
        if (text == named.name) {
            result = named.result;
            return true;
        }
    if (text.empty())
        return false;
    char* end = nullptr;
    const unsigned long value = std::strtoul(text.c_str(), &end, 0);
    if (*end != '\0')
        return false;
    result = static_cast<HRESULT>(value);
    return true;
}

} // namespace hostsim
