#pragma once
// Shared pieces of the process and window tests.

#include "helper_process.h"
#include "test_support.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace procstest {

inline std::string helperProgram()
{
    return testsupport::programFolder() + "\\procs_helper.exe";
}

inline std::string moduleLibrary()
{
    return testsupport::programFolder() + "\\procs_module.dll";
}

// Copies a file of the test folder into folder under a new name and returns the new path.
inline std::string copyAs(const std::string& source, const testsupport::TempDir& folder, const std::string& name)
{
    const std::string target = folder.file(name);
    if (!CopyFileA(source.c_str(), target.c_str(), FALSE))
        throw std::runtime_error("cannot copy " + source + " to " + target);
    return target;
}

// A text that no other process of the machine carries, not even another case of these tests running
// at the same time.
inline std::string uniqueToken(const std::string& hint)
{
    static int counter = 0;
    return hint + "_" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++counter) + "_" +
           std::to_string(GetTickCount() % 1000000);
}

inline HelperOptions helperOptions(const std::string& program, const std::string& commandLine = std::string())
{
    HelperOptions options;
    options.program = program;
    options.commandLine = commandLine;
    return options;
}

} // namespace procstest
