// Writing one value into an INI file, and the manager's write-through.
#define STRELL_SOURCE "./src/Inifile"

#include "Inifile.h"

#include "InifileFormat.h"
#include "InifileManagerImpl.h"
#include "TemporaryFile.h"
#include "fileutils.h"
#include "strell_exception.h"
#include "strell_systeminfo.h"
#include "stringex.h"

#include <windows.h>

#include <algorithm>

namespace Inifile {

namespace {

std::string settingError(const std::string& file, const std::string& section, const std::string& key, int code)
{
    return strell::formatString("Error setting value \"%s\"  section \"%s\" in file \"%s\", err: %d %s", key.c_str(),
                                section.c_str(), file.c_str(), code, ResultText(code).c_str());
}

bool isExistingFile(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// Puts the key line into the section: replaces the key's line, or adds it right after the header,
// or appends the section at the end.
void placeKeyLine(std::vector<std::string>& lines, const std::string& section, const std::string& key,
                  const std::string& keyLine)
{
    using namespace detail;
    size_t header = 0;
    for (; header < lines.size(); ++header) {
        if (!startsLine(lines, header))
            continue;
        const ParsedLine parsed = parseLine(stripLineEnd(lines[header]));
        if (parsed.kind == LineKind::Header && parsed.name == section)
            break;
    }
    if (header == lines.size()) {
        lines.push_back("\n[" + section + "]\n");
        lines.push_back(keyLine);
        return;
    }
    const std::string wantedKey = strell::toLower(key);
    // The pieces after the line starting at i that belong to it.
    const auto lineEnd = [&lines](size_t i) {
        size_t end = i + 1;
        while (end < lines.size() && !startsLine(lines, end))
            ++end;
        return end;
    };
    for (size_t i = header + 1; i < lines.size(); ++i) {
        if (!startsLine(lines, i))
            continue;
        const ParsedLine parsed = parseLine(stripLineEnd(lines[i]));
        if (parsed.kind == LineKind::Header)
            break;
        if (parsed.kind == LineKind::Key && equalsLowered(parsed.name, wantedKey)) {
            // The whole line is replaced, the pieces of a long one with it.
            lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                        lines.begin() + static_cast<std::ptrdiff_t>(lineEnd(i)));
            lines[i] = keyLine;
            return;
        }
    }
    // A header on the last line without a line end must not swallow the new line.
    const size_t after = lineEnd(header);
    if (lines[after - 1].empty() || lines[after - 1].back() != '\n')
        lines[after - 1] += '\n';
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(after), keyLine);
}

// The lines as a UTF-16 little-endian file with its mark, "\r\n" at each line end, as they were read.
bool writeUtf16(FILE* out, const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line;
    const std::u16string wide = strell::ansiToUtf16(strell::replaceAll("\n", text, "\r\n"));
    std::string bytes(detail::kUtf16Mark, detail::kUtf16MarkLength);
    for (const char16_t c : wide) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
}

} // namespace

int SetString(const std::string& file, const std::string& section, const std::string& key, const std::string& value)
{
    using namespace detail;
    Source source = openSource(file);
    const int unwritable = source.redirects ? RC_REDIRECT_FILE_NOT_FOUND : RC_FILE_NOT_FOUND;
    std::string target = strell::toBackslashes(source.resolvedName);

    std::vector<std::string> lines;
    bool byteOrderMark = false;
    bool utf16 = false;
    if (source.reader) {
        std::string_view piece;
        while (source.reader->Next(piece))
            lines.emplace_back(piece);
        if (source.reader->Failed())
            return RC_ERROR;
        // The mark tells the editor how to read the file: it stays, and so does the encoding.
        byteOrderMark = source.reader->SkippedByteOrderMark();
        utf16 = source.reader->Utf16();
        source.reader.reset();
        // Written back, a character without a form in the code page would be lost.
        if (utf16 &&
            std::any_of(lines.begin(), lines.end(), [](const std::string& line) { return hasNoAnsiForm(line); }))
            return RC_ERROR;
    } else if (isExistingFile(target)) {
        // A file that exists but cannot be read would lose its content.
        return unwritable;
    }
    placeKeyLine(lines, section, key, key + "=" + value + "\n");

    // The new content goes to a temporary file beside the target, which then replaces the target.
    // A bare name that cannot be written in the current folder goes to the program's folder.
    strell::CTemporaryFile temporary;
    bool prepared = strell::canOverwrite(target) && temporary.Create(strell::getFolder(target));
    if (!prepared && target.find('\\') == std::string::npos) {
        target = strell::getExecutableFolder() + "\\" + target;
        prepared = strell::canOverwrite(target) && temporary.Create(strell::getFolder(target));
    }
    if (!prepared)
        return unwritable;
    strell::unique_file out(std::fopen(temporary.GetPath().c_str(), utf16 ? "wb" : "w"));
    if (!out)
        return unwritable;
    bool written = true;
    if (utf16) {
        written = writeUtf16(out.get(), lines);
    } else {
        written = !byteOrderMark ||
                  std::fwrite(kByteOrderMark, 1, kByteOrderMarkLength, out.get()) == kByteOrderMarkLength;
        for (const std::string& line : lines)
            written = written && std::fwrite(line.data(), 1, line.size(), out.get()) == line.size();
    }
    written = std::fclose(out.release()) == 0 && written;
    if (!written)
        return RC_ERROR;
    if (!temporary.ReplaceTarget(target))
        return unwritable;
    return RC_SUCCESS;
}

int SetInt(const std::string& file, const std::string& section, const std::string& key, int value)
{
    return SetString(file, section, key, strell::formatString("%d", value));
}

int SetDouble(const std::string& file, const std::string& section, const std::string& key, double value)
{
    return SetString(file, section, key, strell::floatToString(value));
}

void SetStringThrow(const std::string& file, const std::string& section, const std::string& key,
                    const std::string& value)
{
    const int code = SetString(file, section, key, value);
    if (code != RC_SUCCESS)
        STRELL_THROW_AT(551, "Inifile::SetStringThrow", settingError(file, section, key, code));
}

void SetIntThrow(const std::string& file, const std::string& section, const std::string& key, int value)
{
    const int code = SetInt(file, section, key, value);
    if (code != RC_SUCCESS)
        STRELL_THROW_AT(561, "Inifile::SetIntThrow", settingError(file, section, key, code));
}

void SetDoubleThrow(const std::string& file, const std::string& section, const std::string& key, double value)
{
    const int code = SetDouble(file, section, key, value);
    if (code != RC_SUCCESS)
        STRELL_THROW_AT(571, "Inifile::SetDoubleThrow", settingError(file, section, key, code));
}

int CManager::SetString(const std::string& section, const std::string& key, const std::string& value)
{
    const std::string name = strell::toLower(section);
    const std::string lowerKey = strell::toLower(key);
    CSectionPtr& stored = m_Impl->sections[name];
    if (!stored)
        stored.reset(new CSection(name));
    stored->SetValue(lowerKey, value);
    const std::string& target = m_Impl->writePath.empty() ? m_Impl->path : m_Impl->writePath;
    return Inifile::SetString(target, name, lowerKey, value);
}

} // namespace Inifile
