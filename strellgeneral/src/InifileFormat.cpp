#include "InifileFormat.h"

#include "stringex.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace Inifile {
namespace detail {

namespace {
constexpr size_t kReadBlock = 32 * 1024;
const char kRedirectMark[] = "#redirect ";
constexpr size_t kRedirectMarkLength = sizeof kRedirectMark - 1;

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// The redirect target named by the first line, or empty when the line is no redirect.
bool redirectTarget(std::string_view firstLine, std::string& target)
{
    if (firstLine.substr(0, kRedirectMarkLength) != kRedirectMark)
        return false;
    target.clear();
    for (char c : firstLine.substr(kRedirectMarkLength))
        if (c != '\r' && c != '\n')
            target += c;
    target = std::string(trimLeftBlanks(target));
    return true;
}

std::string resolveTarget(const std::string& file, const std::string& target)
{
    if (strell::fileExists(target))
        return target;
    const std::string located = strell::locateFile(target);
    if (strell::fileExists(located))
        return located;
    const std::string resolved = strell::resolveParentReferences(strell::getFolder(file), target);
    return strell::fileExists(resolved) ? resolved : target;
}
} // namespace

LineReader::LineReader(strell::unique_file stream, size_t maxLength)
    : m_Stream(std::move(stream)), m_MaxLength(maxLength), m_Buffer(kReadBlock)
{
}

void LineReader::fill(size_t wanted)
{
    while (m_End - m_Begin < wanted && !m_AtEnd) {
        // Keep the unread text (and a held '\r') at the front, then read behind it.
        const size_t kept = m_End - m_Begin + (m_HeldCR ? 1 : 0);
        if (m_Begin > 0) {
            std::memmove(m_Buffer.data(), m_Buffer.data() + m_Begin, kept);
            m_End -= m_Begin;
            m_Begin = 0;
        }
        if (m_Buffer.size() - kept < kReadBlock / 2)
            m_Buffer.resize(m_Buffer.size() + kReadBlock);
        const size_t raw = std::fread(m_Buffer.data() + kept, 1, m_Buffer.size() - kept, m_Stream.get());
        if (raw == 0) {
            m_Failed = std::ferror(m_Stream.get()) != 0;
            m_AtEnd = true;
            if (m_HeldCR) {
                ++m_End; // a '\r' at the very end is ordinary text
                m_HeldCR = false;
            }
            break;
        }
        // Turn "\r\n" into "\n"; a '\r' at the end of what was read waits for its successor.
        size_t write = m_End;
        size_t first = m_End;
        size_t rawEnd = kept + raw;
        if (!m_Started) {
            m_Started = true;
            m_ByteOrderMark =
                raw >= kByteOrderMarkLength && std::memcmp(m_Buffer.data(), kByteOrderMark, kByteOrderMarkLength) == 0;
            if (m_ByteOrderMark)
                first += kByteOrderMarkLength;
            m_Utf16 = raw >= kUtf16MarkLength && std::memcmp(m_Buffer.data(), kUtf16Mark, kUtf16MarkLength) == 0;
            if (m_Utf16)
                rawEnd = readUtf16AsAnsi(raw);
        }
        m_HeldCR = false;
        for (size_t read = first; read < rawEnd; ++read) {
            const char c = m_Buffer[read];
            if (c == '\r') {
                if (read + 1 == rawEnd) {
                    m_Buffer[write] = c;
                    m_HeldCR = true;
                    break;
                }
                if (m_Buffer[read + 1] == '\n')
                    continue;
            }
            m_Buffer[write++] = c;
        }
        m_End = write;
    }
}

size_t LineReader::readUtf16AsAnsi(size_t raw)
{
    // Such files are small: the whole file is read and converted at once, and then read as any other.
    std::string bytes(m_Buffer.data() + kUtf16MarkLength, raw - kUtf16MarkLength);
    char block[4096];
    for (size_t count; (count = std::fread(block, 1, sizeof block, m_Stream.get())) > 0;)
        bytes.append(block, count);
    m_Failed = std::ferror(m_Stream.get()) != 0;
    std::u16string text(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                        static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    std::string ansi = strell::utf16ToAnsi(text);
    if (bytes.size() % 2 != 0)
        ansi += strell::kNoAnsiForm; // half a character at the end
    if (m_Buffer.size() < ansi.size())
        m_Buffer.resize(ansi.size());
    std::memcpy(m_Buffer.data(), ansi.data(), ansi.size());
    return ansi.size();
}

bool LineReader::Next(std::string_view& piece)
{
    fill(m_MaxLength);
    if (m_Begin == m_End)
        return false;
    const char* start = m_Buffer.data() + m_Begin;
    const size_t window = std::min(m_End - m_Begin, m_MaxLength);
    const void* newline = std::memchr(start, '\n', window);
    const size_t length = newline ? static_cast<const char*>(newline) - start + 1 : window;
    piece = std::string_view(start, length);
    m_Begin += length;
    return true;
}

std::string_view LineReader::PeekFirst(size_t maxLength)
{
    fill(maxLength);
    const char* start = m_Buffer.data() + m_Begin;
    const size_t window = std::min(m_End - m_Begin, maxLength);
    const void* newline = std::memchr(start, '\n', window);
    return std::string_view(start, newline ? static_cast<const char*>(newline) - start + 1 : window);
}

bool hasNoAnsiForm(std::string_view text)
{
    return text.find(strell::kNoAnsiForm) != std::string_view::npos;
}

std::string noAnsiFormError(const std::string& file, const std::string& section, const std::string& key)
{
    return strell::formatString("Value \"%s\" in section \"%s\" of file \"%s\" holds characters that the "
                                "system's code page cannot represent",
                                key.c_str(), section.c_str(), file.c_str());
}

std::string_view stripLineEnd(std::string_view piece)
{
    for (int i = 0; i < 2 && !piece.empty() && (piece.back() == '\r' || piece.back() == '\n'); ++i)
        piece.remove_suffix(1);
    return piece;
}

std::string_view trimLeftBlanks(std::string_view text)
{
    size_t first = 0;
    while (first < text.size() && isBlank(text[first]))
        ++first;
    return text.substr(first);
}

std::string_view trimBlanks(std::string_view text)
{
    text = trimLeftBlanks(text);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

ParsedLine parseLine(std::string_view line)
{
    ParsedLine parsed;
    const std::string_view trimmed = trimBlanks(line);
    if (trimmed.empty())
        return parsed;
    const char first = trimmed.front();
    if (first == '#' || first == ';' || first == '\'') {
        parsed.kind = LineKind::Comment;
        return parsed;
    }
    if (first == '[') {
        const size_t close = trimmed.find(']', 1);
        if (close != std::string_view::npos) {
            parsed.kind = LineKind::Header;
            parsed.name = trimBlanks(trimmed.substr(1, close - 1));
            return parsed;
        }
    }
    const std::string_view content = trimLeftBlanks(line);
    const size_t equals = content.find('=');
    if (equals == std::string_view::npos)
        return parsed;
    parsed.name = trimBlanks(content.substr(0, equals));
    if (parsed.name.empty())
        return parsed;
    parsed.kind = LineKind::Key;
    parsed.value = content.substr(equals + 1);
    return parsed;
}

bool equalsLowered(std::string_view text, const std::string& lowered)
{
    if (text.size() != lowered.size())
        return false;
    for (size_t i = 0; i < text.size(); ++i)
        if (static_cast<char>(std::tolower(static_cast<unsigned char>(text[i]))) != lowered[i])
            return false;
    return true;
}

std::string placeholderFolder(const std::string& openedPath)
{
    const std::string folder = strell::getFolder(openedPath);
    return folder.empty() ? std::string(".") : folder;
}

std::string_view expandFolder(std::string_view line, const std::string& folder, std::string& storage)
{
    if (line.find("{.}") == std::string_view::npos)
        return line;
    storage = strell::replaceAll("{.}", std::string(line), folder);
    return storage;
}

Source openSource(const std::string& file)
{
    Source source;
    source.resolvedName = file;
    strell::unique_file stream = strell::openFileWithFallback(file, "rb", &source.openedPath);
    if (!stream)
        return source;
    auto reader = std::make_unique<LineReader>(std::move(stream));
    std::string target;
    if (!redirectTarget(reader->PeekFirst(kRedirectLine), target)) {
        source.reader = std::move(reader);
        return source;
    }
    reader.reset();
    source.redirects = true;
    source.resolvedName = resolveTarget(file, target);
    stream = strell::openFileWithFallback(source.resolvedName, "rb", &source.openedPath);
    if (stream)
        source.reader = std::make_unique<LineReader>(std::move(stream));
    return source;
}

} // namespace detail
} // namespace Inifile
