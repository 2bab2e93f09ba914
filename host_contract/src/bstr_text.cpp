#include "bstr_text.h"

#include <windows.h>

std::wstring toWide(const std::string& text)
{
    if (text.empty())
        return std::wstring();
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
    return wide;
}

std::string toNarrow(const wchar_t* text, size_t length)
{
    if (!text || length == 0)
        return std::string();
    const int size = WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), &narrow[0], size, nullptr, nullptr);
    return narrow;
}

std::string fromBstr(BSTR text)
{
    return toNarrow(text, text ? SysStringLen(text) : 0);
}

CBstrText::CBstrText(const std::string& text)
{
    const std::wstring wide = toWide(text);
    m_Text = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

CBstrText::~CBstrText()
{
    SysFreeString(m_Text);
}

CBstrResult::~CBstrResult()
{
    SysFreeString(m_Text);
}

BSTR* CBstrResult::put()
{
    SysFreeString(m_Text);
    m_Text = nullptr;
    return &m_Text;
}

std::string CBstrResult::text() const
{
    return fromBstr(m_Text);
}
