#pragma once
// A command-line text turned into a C-style argument vector (blank-separated, double quotes group words).

#include "GeneralParser.h"

#include <string>
#include <vector>

class CArgv {
public:
    CArgv() = default;
    explicit CArgv(const std::string& text) { Assign(text); }
    CArgv(const CArgv&) = delete;
    CArgv& operator=(const CArgv&) = delete;

    // Splits a new text; the previous vector becomes invalid.
    void Assign(const std::string& text);

    int GetArgc() const { return m_Argc; }
    // One pointer per token, valid while this object lives and holds the same text; null when empty.
    char** GetArgv() { return m_Argc > 0 ? m_Argv.data() : nullptr; }

    // Prints every element to standard output.
    void DbgShow();

private:
    strell::CGeneralParser m_Parser{' ', true, false};
    int m_Argc = 0;
    std::vector<char*> m_Argv;
};
