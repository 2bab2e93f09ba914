#pragma once
// The library's tokeniser: splits a text at a separator character; double quotes protect
// separators and are stripped from tokens that are quoted as a whole.

#include <string>
#include <vector>

namespace strell {

// One token; owns its own copy of the text.
class CGeneralParserElement {
public:
    explicit CGeneralParserElement(std::string text) : m_Text(std::move(text)) {}
    virtual ~CGeneralParserElement() = default;
    CGeneralParserElement(const CGeneralParserElement&) = default;
    CGeneralParserElement& operator=(const CGeneralParserElement&) = default;
    CGeneralParserElement(CGeneralParserElement&&) = default;
    CGeneralParserElement& operator=(CGeneralParserElement&&) = default;

    const std::string& GetText() const { return m_Text; }
    // Writable, terminated buffer of the text (for C-style argument vectors).
    char* GetBuffer() { return &m_Text[0]; }

private:
    std::string m_Text;
};

class CGeneralParser {
public:
    explicit CGeneralParser(char separator = ' ', bool quotes = true, bool trim = false)
        : m_Separator(separator), m_Quotes(quotes), m_Trim(trim)
    {
    }
    virtual ~CGeneralParser() = default;

    void SetSeparator(char separator) { m_Separator = separator; }
    void SetQuotes(bool quotes) { m_Quotes = quotes; }
    void SetTrim(bool trim) { m_Trim = trim; }
    char GetSeparator() const { return m_Separator; }
    bool GetQuotes() const { return m_Quotes; }
    bool GetTrim() const { return m_Trim; }

    // Replaces the token list with the tokens of the text. Tokens of any length are kept whole.
    void Split(const std::string& text);

    int GetCount() const { return static_cast<int>(m_Elements.size()); }
    // The token's text, or "" when the index is out of range.
    std::string GetToken(int index) const;
    CGeneralParserElement& GetElement(int index) { return m_Elements.at(static_cast<size_t>(index)); }

private:
    void emit(const char* begin, const char* end);

    char m_Separator;
    bool m_Quotes;
    bool m_Trim;
    std::vector<CGeneralParserElement> m_Elements;
};

} // namespace strell
