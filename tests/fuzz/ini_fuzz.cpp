// The INI reader. The input up to the first NUL byte is the file "fuzz.ini", the rest (if any) the file
// "target.ini" that a "#redirect target.ini" line names; an input that starts with the UTF-16 mark
// FF FE is cut at its first NUL character (two NUL bytes at an even offset) instead. Checks the piece
// reader against the bytes (converted from UTF-16 where the file is), and the one-call reader against
// the manager: both read the same lines, one the first value of the first
// section of a name, the other the last value of all sections of that name.
#include "Inifile.h"
#include "InifileFormat.h"
#include "InifileManager.h"
#include "fuzz_check.h"
#include "strell_exception.h"
#include "stringex.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

void writeFile(const char* name, const std::string& content)
{
    std::FILE* file = std::fopen(name, "wb");
    FUZZ_CHECK(file != nullptr);
    FUZZ_CHECK(std::fwrite(content.data(), 1, content.size(), file) == content.size());
    FUZZ_CHECK(std::fclose(file) == 0);
}

// The text as the reader delivers it: without a leading byte-order mark.
std::string withoutByteOrderMark(const std::string& text)
{
    using Inifile::detail::kByteOrderMarkLength;
    return text.compare(0, kByteOrderMarkLength, Inifile::detail::kByteOrderMark) == 0
               ? text.substr(kByteOrderMarkLength)
               : text;
}

bool isUtf16(const std::string& text)
{
    return text.compare(0, Inifile::detail::kUtf16MarkLength, Inifile::detail::kUtf16Mark) == 0;
}

// The text in the code page, as the reader converts a UTF-16 file; any other as it is.
std::string inCodePage(const std::string& text)
{
    if (!isUtf16(text))
        return text;
    std::u16string wide;
    for (size_t i = Inifile::detail::kUtf16MarkLength; i + 1 < text.size(); i += 2)
        wide += static_cast<char16_t>(static_cast<unsigned char>(text[i]) |
                                      static_cast<unsigned char>(text[i + 1]) << 8);
    return strell::utf16ToAnsi(wide) + (text.size() % 2 != 0 ? std::string(1, strell::kNoAnsiForm) : std::string());
}

size_t splitPoint(const std::string& input)
{
    if (!isUtf16(input))
        return input.find('\0');
    for (size_t i = Inifile::detail::kUtf16MarkLength; i + 1 < input.size(); i += 2)
        if (input[i] == '\0' && input[i + 1] == '\0')
            return i;
    return std::string::npos;
}

std::string withoutCarriageReturnBeforeLineFeed(std::string text)
{
    for (size_t found = text.find("\r\n"); found != std::string::npos; found = text.find("\r\n", found))
        text.erase(found, 1);
    return text;
}

// Returns the pieces with the folder placeholder replaced in each, as the manager keeps them: a "{.}"
// that a piece boundary splits stays as it is.
std::vector<std::string> checkPieces(const char* name, const std::string& content)
{
    using namespace Inifile::detail;
    LineReader reader(strell::unique_file(std::fopen(name, "rb")));
    std::string joined;
    std::vector<std::string> expanded;
    std::string_view piece;
    while (reader.Next(piece)) {
        FUZZ_CHECK(!piece.empty() && piece.size() <= kLinePiece);
        FUZZ_CHECK(piece.find('\n') == std::string_view::npos || piece.find('\n') == piece.size() - 1);
        joined.append(piece);
        std::string own(piece);
        for (size_t found = own.find("{.}"); found != std::string::npos; found = own.find("{.}", found + 1))
            own.replace(found, 3, ".");
        expanded.push_back(std::move(own));
    }
    FUZZ_CHECK(!reader.Failed());
    FUZZ_CHECK(reader.SkippedByteOrderMark() == (withoutByteOrderMark(content).size() != content.size()));
    FUZZ_CHECK(reader.Utf16() == isUtf16(content));
    FUZZ_CHECK(joined == withoutCarriageReturnBeforeLineFeed(withoutByteOrderMark(inCodePage(content))));
    return expanded;
}

struct Expected {
    std::string first; // first value in the first section of the name
    bool inFirstSection = false;
    std::string last; // last value in any section of the name
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Bare names only: the files live in a private current folder, in memory where the system has one.
    char inMemory[] = "/dev/shm/ini_fuzz.XXXXXX";
    char onDisk[] = "/tmp/ini_fuzz.XXXXXX";
    const char* folder = mkdtemp(inMemory);
    if (folder == nullptr)
        folder = mkdtemp(onDisk);
    if (folder == nullptr || chdir(folder) != 0)
        std::abort();
    static const std::string created = folder;
    std::atexit([] {
        std::remove("fuzz.ini");
        std::remove("target.ini");
        rmdir(created.c_str());
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace Inifile::detail;
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t split = splitPoint(input);
    const std::string content = input.substr(0, split);
    const size_t targetStart = split == std::string::npos ? split : split + (isUtf16(input) ? 2 : 1);
    std::remove("target.ini");
    if (split != std::string::npos) {
        writeFile("target.ini", input.substr(targetStart));
        checkPieces("target.ini", input.substr(targetStart));
    }
    writeFile("fuzz.ini", content);
    const std::vector<std::string> pieces = checkPieces("fuzz.ini", content);
    const bool redirects = withoutByteOrderMark(inCodePage(content)).compare(0, 10, "#redirect ") == 0;

    Inifile::CManager manager;
    try {
        manager.Load("fuzz.ini");
    } catch (const strell::exception& e) {
        // A UTF-16 file (this one, or the redirect's target) with a value outside the code page.
        if (e.text().find("holds characters that the system's code page cannot represent") != std::string::npos) {
            FUZZ_CHECK(isUtf16(content) || (redirects && isUtf16(input.substr(targetStart))));
            return 0;
        }
        // Only a redirect to a missing file cannot be opened.
        FUZZ_CHECK(redirects);
        std::string value;
        FUZZ_CHECK(Inifile::GetString("fuzz.ini", "a", "b", value) == Inifile::RC_REDIRECT_FILE_NOT_FOUND);
        return 0;
    }
    if (!redirects)
        FUZZ_CHECK(manager.GetLines() == pieces);

    std::map<std::pair<std::string, std::string>, Expected> keys;
    std::map<std::string, int> sectionSeen; // how often a header of the name opened
    std::string section;
    bool inSection = false;
    const std::vector<std::string>& lines = manager.GetLines();
    for (size_t i = 0; i < lines.size(); ++i) {
        if (!startsLine(lines, i))
            continue;
        const ParsedLine parsed = parseLine(stripLineEnd(lines[i]));
        if (parsed.kind == LineKind::Header) {
            section = strell::toLower(std::string(parsed.name));
            inSection = true;
            ++sectionSeen[section];
        } else if (parsed.kind == LineKind::Key && inSection) {
            Expected& expected = keys[{section, strell::toLower(std::string(parsed.name))}];
            if (sectionSeen[section] == 1 && !expected.inFirstSection) {
                expected.first = std::string(parsed.value);
                expected.inFirstSection = true;
            }
            expected.last = std::string(parsed.value);
        }
    }
    for (const auto& entry : sectionSeen)
        FUZZ_CHECK(manager.HasSection(entry.first));
    for (const auto& entry : keys) {
        const std::string& name = entry.first.first;
        const std::string& key = entry.first.second;
        std::string value;
        FUZZ_CHECK(manager.GetString(name, key, value) == Inifile::RC_SUCCESS);
        FUZZ_CHECK(value == entry.second.last);
        if (name.empty() || !entry.second.inFirstSection)
            continue;
        std::string first;
        FUZZ_CHECK(Inifile::GetString("fuzz.ini", name, key, first) == Inifile::RC_SUCCESS);
        FUZZ_CHECK(first == entry.second.first);
    }
    return 0;
}
