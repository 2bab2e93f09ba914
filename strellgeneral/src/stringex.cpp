#include "stringex.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace strell {

namespace {

// Set once during static initialisation: does the C runtime write a decimal comma?
const bool g_DecimalComma = [] {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%2.2f", 10.21);
    return std::strcmp(buffer, "10.21") != 0;
}();

const char* const kBlanks = " \t";

} // namespace

std::string formatStringV(const char* format, va_list args)
{
    char buffer[kFormatLimit + 1];
    int n = std::vsnprintf(buffer, sizeof buffer, format, args);
    if (n < 0)
        buffer[0] = '\0';
    buffer[kFormatLimit] = '\0';
    return buffer;
}

std::string formatString(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string text = formatStringV(format, args);
    va_end(args);
    return text;
}

std::string toLower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string toUpper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::string trimLeft(std::string text)
{
    const size_t first = text.find_first_not_of(kBlanks);
    return first == std::string::npos ? std::string() : text.substr(first);
}

std::string trimRight(std::string text)
{
    const size_t last = text.find_last_not_of(kBlanks);
    return last == std::string::npos ? std::string() : text.substr(0, last + 1);
}

std::string trim(std::string text)
{
    return trimLeft(trimRight(std::move(text)));
}

std::string trimCharsRight(std::string text, std::string charset)
{
    if (charset.empty())
        return text;
    const size_t last = text.find_last_not_of(charset);
    return last == std::string::npos ? std::string() : text.substr(0, last + 1);
}

std::string toBackslashes(std::string text)
{
    for (char& c : text)
        if (c == '/')
            c = '\\';
    return text;
}

bool startsWith(std::string prefix, std::string text)
{
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

std::string getFileName(std::string path)
{
    const size_t pos = path.find_last_of("\\/");
    return pos == std::string::npos ? path : path.substr(pos + 1);
}

std::string getFolder(std::string path)
{
    const size_t pos = path.find_last_of("\\/");
    return pos == std::string::npos ? std::string() : path.substr(0, pos);
}

std::string getExtension(std::string path)
{
    const size_t pos = path.find_last_of('.');
    return pos == std::string::npos ? std::string() : path.substr(pos + 1);
}

std::string joinPath(std::string folder, std::string name)
{
    return trimCharsRight(std::move(folder), "\\") + "\\" + name;
}

std::string replaceAll(std::string pattern, std::string text, std::string replacement, int maximum, int* count)
{
    int done = 0;
    if (!pattern.empty()) {
        size_t position = 0;
        while (maximum == -1 || done < maximum) {
            const size_t found = text.find(pattern, position);
            if (found == std::string::npos)
                break;
            text.replace(found, pattern.size(), replacement);
            ++done;
            // Go on right after the inserted replacement, so it is never searched again.
            position = found + replacement.size();
        }
    }
    if (count)
        *count = done;
    return text;
}

void splitAt(std::string text, std::string separator, std::string& head, std::string& tail)
{
    const size_t pos = separator.empty() ? std::string::npos : text.find(separator);
    if (pos != std::string::npos && pos > 0) {
        head = text.substr(0, pos);
        tail = text.substr(pos + separator.size());
    } else {
        head = text;
        debugPrint("separator not found\n");
    }
}

double stringToFloat(std::string text)
{
    if (g_DecimalComma) {
        const size_t dot = text.find('.');
        if (dot != std::string::npos)
            text[dot] = ',';
    }
    return std::atof(text.c_str());
}

std::string floatToString(double value)
{
    std::string text = formatString("%f", value);
    if (g_DecimalComma) {
        const size_t comma = text.find(',');
        if (comma != std::string::npos)
            text[comma] = '.';
    }
    return text;
}

} // namespace strell
