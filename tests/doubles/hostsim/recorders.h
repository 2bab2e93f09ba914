#pragma once
// What the plug-in does in the host's process besides calling the host, written to the transcript:
// its debugger output, its own message boxes, the addresses it opens through the shell and the
// window messages it sends.

#include <windows.h>

#include <string>

namespace hostsim {

class CTranscript;

// While alive, every OutputDebugStringA text of the process becomes a line "debug <text>".
class CDebugOutputRecorder {
public:
    explicit CDebugOutputRecorder(CTranscript& transcript);
    ~CDebugOutputRecorder();
    CDebugOutputRecorder(const CDebugOutputRecorder&) = delete;
    CDebugOutputRecorder& operator=(const CDebugOutputRecorder&) = delete;

private:
    void* m_Handler;
};

// While alive, every message box that the calling thread shows becomes a line
// "box plugin [<caption>] <text>" as it opens. Answering it is up to whoever watches the process.
class CMessageBoxRecorder {
public:
    explicit CMessageBoxRecorder(CTranscript& transcript);
    ~CMessageBoxRecorder();
    CMessageBoxRecorder(const CMessageBoxRecorder&) = delete;
    CMessageBoxRecorder& operator=(const CMessageBoxRecorder&) = delete;

private:
    HHOOK m_Hook;
};

// Replaces the module's import of ShellExecuteA, so that opening an address is recorded as
// "shell <verb> <file> show <n>" instead of starting a browser. False when the module has no such import.
bool recordShellExecute(HMODULE module, CTranscript& transcript);

// Passes the module's SendMessageA and SendMessageTimeoutA on and writes each message with its answer as
// "message "<window title>" WM_COPYDATA marker 0x<wparam> tag <n> length <n> "<text>" -> <answer>"
// ("-> no answer, error <n>" when the bounded wait ran out). False when the module has neither import.
bool recordWindowMessages(HMODULE module, CTranscript& transcript);

} // namespace hostsim
