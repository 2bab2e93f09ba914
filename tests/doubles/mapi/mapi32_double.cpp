// Test double of the system's Simple MAPI library (MAPI32.DLL): records every field of the message it
// is handed and answers with a chosen result.
//
// Environment:
//   QUOVAN_MAPI_RECORD  file that receives the record (appended; one block per call)
//   QUOVAN_MAPI_RESULT  result code to return (decimal; default 0 = SUCCESS_SUCCESS)
//   QUOVAN_MAPI_LOADS   file that receives the double's own path, one line each time a process loads it
//   QUOVAN_MAPI_FAULT   instead of answering, faults after recording: "access" (an access violation),
//                       "raise" (RaiseException of a custom code) or "stack" (a stack overflow); or
//                       "block": never returns, as a mail client whose prompt nobody answers

#include "win32_handles.h"

#include <windows.h>
#include <mapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string text(const char* value)
{
    return value ? "\"" + std::string(value) + "\"" : std::string("(null)");
}

std::string environment(const char* name)
{
    char buffer[1024] = {};
    const DWORD n = GetEnvironmentVariableA(name, buffer, sizeof buffer);
    return n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string();
}

std::string recipient(const char* label, const MapiRecipDesc* r)
{
    if (!r)
        return std::string(label) + ": (null)\n";
    char line[64];
    std::snprintf(line, sizeof line, ": class=%lu reserved=%lu eid_size=%lu eid=%s", r->ulRecipClass, r->ulReserved,
                  r->ulEIDSize, r->lpEntryID ? "set" : "(null)");
    return std::string(label) + line + " name=" + text(r->lpszName) + " address=" + text(r->lpszAddress) + "\n";
}

// Whether the attachment can be opened with no sharing at all (nobody else holds it open).
std::string exclusiveOpen(const char* path)
{
    if (!path)
        return "(null)";
    const strell::unique_hfile file(CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file)
        return "failed " + std::to_string(GetLastError());
    return "ok";
}

void append(const std::string& file, const std::string& text)
{
    if (file.empty())
        return;
    if (FILE* out = std::fopen(file.c_str(), "ab")) {
        std::fwrite(text.data(), 1, text.size(), out);
        std::fclose(out);
    }
}

// Each recursion keeps a buffer on the stack, so no optimisation turns it into a loop.
int overflowStack(volatile int depth)
{
    volatile char block[4096];
    block[0] = static_cast<char>(depth);
    if (depth < 0) // never: the stack ends first
        return block[0];
    return overflowStack(depth + 1) + block[0];
}

void fault(const std::string& kind)
{
    if (kind == "access") {
        volatile int* nowhere = nullptr;
        *nowhere = 1;
    } else if (kind == "raise") {
        RaiseException(0xE0517A11, 0, 0, nullptr);
    } else if (kind == "stack") {
        overflowStack(0);
    } else if (kind == "block") {
        for (;;)
            Sleep(INFINITE);
    }
}

} // namespace

// Which copy of the library a program loaded, even when it never calls it.
BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        char path[MAX_PATH] = {};
        const DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
        append(environment("QUOVAN_MAPI_LOADS"), std::string(path, length) + "\n");
    }
    return TRUE;
}

extern "C" __declspec(dllexport) ULONG WINAPI MAPISendMail(LHANDLE session, ULONG_PTR uiParam, lpMapiMessage message,
                                                           FLAGS flags, ULONG reserved)
{
    std::string record = "MAPISendMail session=" + std::to_string(session) + " ui=" + std::to_string(uiParam) +
                         " flags=" + std::to_string(flags) + " reserved=" + std::to_string(reserved) + "\n";
    if (message) {
        const MapiMessage& m = *message;
        record += "reserved=" + std::to_string(m.ulReserved) + "\n";
        record += "subject=" + text(m.lpszSubject) + "\n";
        record += "note=" + text(m.lpszNoteText) + "\n";
        record += "message_type=" + text(m.lpszMessageType) + "\n";
        record += "date=" + text(m.lpszDateReceived) + "\n";
        record += "conversation=" + text(m.lpszConversationID) + "\n";
        record += "flags=" + std::to_string(m.flFlags) + "\n";
        record += recipient("originator", m.lpOriginator);
        record += "recipients=" + std::to_string(m.nRecipCount) + "\n";
        for (ULONG i = 0; i < m.nRecipCount && m.lpRecips; ++i)
            record += recipient(("recipient[" + std::to_string(i) + "]").c_str(), &m.lpRecips[i]);
        record += "files=" + std::to_string(m.nFileCount) + " list=" + (m.lpFiles ? "set" : "(null)") + "\n";
        for (ULONG i = 0; i < m.nFileCount && m.lpFiles; ++i) {
            const MapiFileDesc& f = m.lpFiles[i];
            record += "file[" + std::to_string(i) + "]: reserved=" + std::to_string(f.ulReserved) +
                      " flags=" + std::to_string(f.flFlags) + " position=" + std::to_string(static_cast<long>(f.nPosition)) +
                      " path=" + text(f.lpszPathName) + " name=" + text(f.lpszFileName) +
                      " type=" + (f.lpFileType ? "set" : "(null)") + " exclusive_open=" + exclusiveOpen(f.lpszPathName) + "\n";
        }
    } else {
        record += "message=(null)\n";
    }
    record += "end\n";

    append(environment("QUOVAN_MAPI_RECORD"), record);
    fault(environment("QUOVAN_MAPI_FAULT"));
    const std::string result = environment("QUOVAN_MAPI_RESULT");
    return result.empty() ? SUCCESS_SUCCESS : static_cast<ULONG>(std::strtoul(result.c_str(), nullptr, 10));
}
