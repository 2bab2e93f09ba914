#pragma once
// Texts crossing the host interfaces: the plug-in's 8-bit texts (system code page) as BSTRs and back.

#include <windows.h>
#include <oleauto.h>

#include <string>

// Owns one BSTR made from an 8-bit text; freed on every path.
class CBstrText {
public:
    explicit CBstrText(const std::string& text);
    ~CBstrText();
    CBstrText(const CBstrText&) = delete;
    CBstrText& operator=(const CBstrText&) = delete;

    BSTR get() const { return m_Text; }

private:
    BSTR m_Text;
};

// Owns a BSTR that a host call delivered through an out parameter.
class CBstrResult {
public:
    CBstrResult() = default;
    ~CBstrResult();
    CBstrResult(const CBstrResult&) = delete;
    CBstrResult& operator=(const CBstrResult&) = delete;

    BSTR* put();
    std::string text() const;

private:
    BSTR m_Text = nullptr;
};

std::wstring toWide(const std::string& text);
std::string toNarrow(const wchar_t* text, size_t length);
std::string fromBstr(BSTR text);
