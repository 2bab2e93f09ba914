#include "GeneralParser.h"

namespace strell {

void CGeneralParser::Split(const std::string& text)
{
    m_Elements.clear();
    bool insideQuotes = false;
    const char* const end = text.data() + text.size();
    const char* segment = text.data();
    for (const char* p = segment; p != end; ++p) {
        if (m_Quotes && *p == '"')
            insideQuotes = !insideQuotes;
        if (*p == m_Separator && !insideQuotes) {
            emit(segment, p);
            segment = p + 1;
        }
    }
    emit(segment, end);
}

void CGeneralParser::emit(const char* begin, const char* end)
{
    if (begin == end)
        return;
    if (m_Quotes && end - begin >= 2 && *begin == '"' && *(end - 1) == '"') {
        ++begin;
        --end;
    }
    if (m_Trim) {
        while (begin != end && *begin == ' ')
            ++begin;
        while (end != begin && *(end - 1) == ' ')
            --end;
    }
    m_Elements.emplace_back(std::string(begin, end));
}

std::string CGeneralParser::GetToken(int index) const
{
    if (index < 0 || static_cast<size_t>(index) >= m_Elements.size())
        return std::string();
    return m_Elements[static_cast<size_t>(index)].GetText();
}

} // namespace strell
