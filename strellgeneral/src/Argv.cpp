#include "Argv.h"

#include <cstdio>

void CArgv::Assign(const std::string& text)
{
    m_Argv.clear();
    m_Parser.Split(text);
    m_Argc = m_Parser.GetCount();
    for (int i = 0; i < m_Argc; ++i)
        m_Argv.push_back(m_Parser.GetElement(i).GetBuffer());
}

void CArgv::DbgShow()
{
    char** argv = GetArgv();
    if (argv == nullptr)
        std::printf("CArgv::DbgShow() -  argv==0\n");
    else
        for (int i = 0; i < m_Argc; ++i)
            std::printf("argv[%2d] %s\n", i, argv[i]);
    std::fflush(stdout);
}
