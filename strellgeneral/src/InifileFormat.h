#pragma once
// Internals shared by the INI reader, writer and manager: reading a file in line pieces, the line
// grammar and the "#redirect " resolution.

#include "fileutils.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace Inifile {
namespace detail {

// Longest piece of a line; a longer line arrives in several pieces.
constexpr size_t kLinePiece = 1023;
// A piece continues the line of the piece before it when that one did not end with '\n': a line
// longer than kLinePiece is kept in several pieces and judged by its first alone, so that its tail
// never reads as a line of its own.
inline bool startsLine(const std::vector<std::string>& pieces, size_t i)
{
    return i == 0 || (!pieces[i - 1].empty() && pieces[i - 1].back() == '\n');
}

// Longest first line examined for "#redirect ".
constexpr size_t kRedirectLine = 255;

// Reads a stream opened in binary mode in the pieces that a text-mode line read of at most
// maxLength characters delivers: "\r\n" counts as "\n", and a piece ends after its '\n' or at
// maxLength characters. A UTF-8 byte-order mark at the start is skipped: otherwise it would glue itself
// to the first line, and a first "[parameters]" would be no header. A file that starts with the UTF-16
// little-endian mark (Notepad's "Unicode") is read in the ANSI code page, each character without a form
// there as strell::kNoAnsiForm. Buffered; a piece is a view into the buffer, valid until the next call.
class LineReader {
public:
    explicit LineReader(strell::unique_file stream, size_t maxLength = kLinePiece);

    bool Next(std::string_view& piece);
    // The first piece with a shorter limit, without consuming anything.
    std::string_view PeekFirst(size_t maxLength);
    // True when reading stopped because of a read error rather than the end of the file.
    bool Failed() const { return m_Failed; }
    // True when the file began with a UTF-8 byte-order mark, which no piece contains.
    bool SkippedByteOrderMark() const { return m_ByteOrderMark; }
    // True when the file is UTF-16 little-endian (with its mark, which no piece contains).
    bool Utf16() const { return m_Utf16; }

private:
    void fill(size_t wanted);
    // Reads the rest of a UTF-16 file into the buffer, converted; raw bytes of it are there already.
    // Returns the length of the converted text.
    size_t readUtf16AsAnsi(size_t raw);

    strell::unique_file m_Stream;
    size_t m_MaxLength;
    std::vector<char> m_Buffer;
    size_t m_Begin = 0; // unread converted text is [m_Begin, m_End)
    size_t m_End = 0;
    bool m_HeldCR = false; // a '\r' at m_End whose successor is not read yet
    bool m_AtEnd = false;
    bool m_Failed = false;
    bool m_Started = false; // something was read: a byte-order mark can only come first
    bool m_ByteOrderMark = false;
    bool m_Utf16 = false;
};

// The UTF-8 byte-order mark that editors (Notepad) write at the start of a file.
constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
constexpr size_t kByteOrderMarkLength = sizeof kByteOrderMark - 1;
// The UTF-16 little-endian byte-order mark.
constexpr char kUtf16Mark[] = "\xFF\xFE";
constexpr size_t kUtf16MarkLength = sizeof kUtf16Mark - 1;

// Whether text read from a UTF-16 file holds a character without a form in the code page, and the error
// that names where.
bool hasNoAnsiForm(std::string_view text);
std::string noAnsiFormError(const std::string& file, const std::string& section, const std::string& key);

// Up to two trailing '\r' / '\n' removed.
std::string_view stripLineEnd(std::string_view piece);
std::string_view trimBlanks(std::string_view text);
std::string_view trimLeftBlanks(std::string_view text);

enum class LineKind { Other, Comment, Header, Key };
struct ParsedLine {
    LineKind kind = LineKind::Other;
    std::string_view name;  // section name of a header, key of a key line (trimmed)
    std::string_view value; // value of a key line, unchanged
};
// Classifies a line whose line end is already removed.
ParsedLine parseLine(std::string_view line);

// Byte-wise case-insensitive comparison with a text that is already lower case.
bool equalsLowered(std::string_view text, const std::string& lowered);

// The folder that "{.}" stands for in a file opened under the path ("." when it has no folder part).
std::string placeholderFolder(const std::string& openedPath);
// The line with every "{.}" replaced by the folder; storage holds the result when one was needed.
std::string_view expandFolder(std::string_view line, const std::string& folder, std::string& storage);

// A file opened for reading after its redirect was resolved.
struct Source {
    std::string resolvedName;           // the name to open after the redirect
    bool redirects = false;             // the file named a redirect target
    std::string openedPath;             // the path the open used (or tried first)
    std::unique_ptr<LineReader> reader; // null when the file could not be opened
};
// Resolves the redirect of the file and opens the result, reading in pieces of kLinePiece.
Source openSource(const std::string& file);

} // namespace detail
} // namespace Inifile
