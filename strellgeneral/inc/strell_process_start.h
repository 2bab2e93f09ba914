#pragma once
// Starting a program: the one place that creates processes, with the options its callers need, and
// handles of the started process that the caller owns.

#include "win32_handles.h"

#include <windows.h>

#include <string>

namespace strell {

struct ProcessStartOptions {
    std::wstring application;        // the program file; empty: the first word of the command line
    std::wstring currentFolder;      // empty: the caller's
    const char* environment = nullptr; // a block of "NAME=value\0" entries ending in "\0"; null: the caller's
    bool inheritHandles = false;     // the inheritable handles of the caller pass to the program
    HANDLE output = nullptr;         // an inheritable handle for standard output and error; null: the caller's
    HANDLE job = nullptr;            // the job the program runs in from its first instruction; null: none
    DWORD creationFlags = 0;         // further CreateProcess flags
};

// A started process: both handles are owned and close with the object. The program runs on its own.
struct StartedProcess {
    unique_process process;
    unique_handle_null thread;
    DWORD id = 0;
    bool inJob = false;              // the program runs in the job of the options

    explicit operator bool() const { return static_cast<bool>(process); }
};

// Empty when the program could not be started; GetLastError() then tells why. A program that should
// run in a job but cannot be put into it (a system that does not nest jobs) runs without it.
StartedProcess startProcess(std::wstring commandLine, const ProcessStartOptions& options = ProcessStartOptions());
// The command line in the system's code page.
StartedProcess startProcess(const std::string& commandLine, const ProcessStartOptions& options = ProcessStartOptions());

} // namespace strell
