#pragma once
// Text operations of the library: formatting, case, trimming, paths, replacing, splitting,
// decimal-point-safe float conversion, Windows error texts and the debugger print.

#include <cstdarg>
#include <string>

#if defined(__clang__)
#define STRELL_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))
#elif defined(__GNUC__)
#define STRELL_PRINTF(fmt, args) __attribute__((format(gnu_printf, fmt, args)))
#else
#define STRELL_PRINTF(fmt, args)
#endif

namespace strell {

// Formatted text holds at most this many characters (2048-byte buffer).
constexpr size_t kFormatLimit = 2047;

std::string formatString(const char* format, ...) STRELL_PRINTF(1, 2);
std::string formatStringV(const char* format, va_list args);
void debugPrint(const char* format, ...) STRELL_PRINTF(1, 2);
// Writes the text to the debugger output as it is (cut to kFormatLimit), never read as a format.
void debugOutput(const std::string& text);

std::string toLower(std::string text);
std::string toUpper(std::string text);
std::string trimLeft(std::string text);
std::string trimRight(std::string text);
std::string trim(std::string text);
std::string trimCharsRight(std::string text, std::string charset);
std::string toBackslashes(std::string text);
bool startsWith(std::string prefix, std::string text);

std::string getFileName(std::string path);
std::string getFolder(std::string path);
std::string getExtension(std::string path);
std::string joinPath(std::string folder, std::string name);

// Replaces occurrences of pattern in text by replacement; maximum -1 means no limit.
// An empty pattern replaces nothing.
std::string replaceAll(std::string pattern, std::string text, std::string replacement, int maximum = -1,
                       int* count = nullptr);
void splitAt(std::string text, std::string separator, std::string& head, std::string& tail);

double stringToFloat(std::string text);
std::string floatToString(double value);

std::string getWin32ErrorText(unsigned long code);

// UTF-16 text in the system's ANSI code page, as files that editors save as "Unicode" hold it. Each
// character that has no form there (and U+0000, and a lone surrogate) becomes kNoAnsiForm, so that a
// reader can tell it from text and name where it stands.
constexpr char kNoAnsiForm = '\0';
std::string utf16ToAnsi(const std::u16string& text);
std::u16string ansiToUtf16(const std::string& text);

} // namespace strell
