#include "recorders.h"

#include "import_patch.h"
#include "strell_process.h"
#include "stringex.h"
#include "transcript.h"
#include "transcript_text.h"

#include <cstring>

namespace hostsim {

namespace {

CTranscript* g_DebugTranscript = nullptr;
CTranscript* g_BoxTranscript = nullptr;
CTranscript* g_ShellTranscript = nullptr;
CTranscript* g_MessageTranscript = nullptr;

const DWORD kDebugPrintException = 0x40010006; // DBG_PRINTEXCEPTION_C

// OutputDebugStringA raises DBG_PRINTEXCEPTION_C; a vectored handler sees it before anyone else.
LONG CALLBACK onException(EXCEPTION_POINTERS* info)
{
    const EXCEPTION_RECORD* record = info->ExceptionRecord;
    if (record->ExceptionCode == kDebugPrintException && record->NumberParameters >= 2 && g_DebugTranscript) {
        const char* text = reinterpret_cast<const char*>(record->ExceptionInformation[1]);
        size_t length = static_cast<size_t>(record->ExceptionInformation[0]);
        if (length > 0 && text[length - 1] == '\0')
            --length;
        g_DebugTranscript->line("debug " + quote(std::string(text, length)));
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

// A message box has its texts once it has handled WM_INITDIALOG.
LRESULT CALLBACK onWindowMessage(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPRETSTRUCT* message = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && message->message == WM_INITDIALOG && g_BoxTranscript) {
        char className[64] = {};
        GetClassNameA(message->hwnd, className, sizeof className);
        const HWND text = GetDlgItem(message->hwnd, 0xFFFF);
        if (std::strcmp(className, "#32770") == 0 && text)
            g_BoxTranscript->line("box plugin [" + strell::getWindowText(message->hwnd) + "] " +
                                  quote(strell::getWindowText(text)));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

HINSTANCE WINAPI shellExecuteRecorder(HWND, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR, INT show)
{
    if (g_ShellTranscript)
        g_ShellTranscript->line("shell " + std::string(verb ? verb : "(default)") + " " + quote(file ? file : "") +
                                (parameters ? " " + quote(parameters) : std::string()) + " show " +
                                std::to_string(show));
    // Above 32: success.
    return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(42));
}

// The window's title, the message and, for WM_COPYDATA, the record with its text as the receiver
// reads it (up to the first zero byte).
std::string describeMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    std::string text = "message " + quote(strell::getWindowText(window));
    if (message != WM_COPYDATA || !lParam)
        return text + strell::formatString(" 0x%04X wparam 0x%08lX", message, static_cast<unsigned long>(wParam));
    const COPYDATASTRUCT* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    const char* bytes = static_cast<const char*>(data->lpData);
    const size_t length = bytes ? strnlen(bytes, data->cbData) : 0;
    return text + strell::formatString(" WM_COPYDATA marker 0x%08lX tag %lu length %lu ", static_cast<unsigned long>(wParam),
                                       static_cast<unsigned long>(data->dwData), static_cast<unsigned long>(data->cbData)) +
           quote(std::string(bytes ? bytes : "", length));
}

LRESULT WINAPI sendMessageRecorder(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Described before it is sent: the window may be gone once it has answered.
    const std::string description = g_MessageTranscript ? describeMessage(window, message, wParam, lParam) : "";
    const LRESULT answer = SendMessageA(window, message, wParam, lParam);
    if (g_MessageTranscript)
        g_MessageTranscript->line(description + " -> " + std::to_string(static_cast<long>(answer)));
    return answer;
}

// As above; a message without answer in time is written "-> no answer" (with the system's error).
LRESULT WINAPI sendMessageTimeoutRecorder(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT flags,
                                          UINT timeout, PDWORD_PTR result)
{
    const std::string description = g_MessageTranscript ? describeMessage(window, message, wParam, lParam) : "";
    DWORD_PTR answer = 0;
    const LRESULT sent = SendMessageTimeoutA(window, message, wParam, lParam, flags, timeout, &answer);
    const DWORD error = GetLastError();
    if (g_MessageTranscript)
        g_MessageTranscript->line(description + (sent ? " -> " + std::to_string(static_cast<long>(answer))
                                                       : " -> no answer, error " + std::to_string(error)));
    if (result)
        *result = answer;
    SetLastError(error);
    return sent;
}

} // namespace

CDebugOutputRecorder::CDebugOutputRecorder(CTranscript& transcript)
{
    g_DebugTranscript = &transcript;
    m_Handler = AddVectoredExceptionHandler(1, onException);
}

CDebugOutputRecorder::~CDebugOutputRecorder()
{
    RemoveVectoredExceptionHandler(m_Handler);
    g_DebugTranscript = nullptr;
}

CMessageBoxRecorder::CMessageBoxRecorder(CTranscript& transcript)
{
    g_BoxTranscript = &transcript;
    m_Hook = SetWindowsHookExA(WH_CALLWNDPROCRET, onWindowMessage, nullptr, GetCurrentThreadId());
}

CMessageBoxRecorder::~CMessageBoxRecorder()
{
    if (m_Hook)
        UnhookWindowsHookEx(m_Hook);
    g_BoxTranscript = nullptr;
}

bool recordShellExecute(HMODULE module, CTranscript& transcript)
{
    g_ShellTranscript = &transcript;
    return replaceImport(module, "shell32.dll", "ShellExecuteA", reinterpret_cast<const void*>(&shellExecuteRecorder));
}

bool recordWindowMessages(HMODULE module, CTranscript& transcript)
{
    g_MessageTranscript = &transcript;
    const bool plain =
        replaceImport(module, "user32.dll", "SendMessageA", reinterpret_cast<const void*>(&sendMessageRecorder));
    const bool bounded = replaceImport(module, "user32.dll", "SendMessageTimeoutA",
                                       reinterpret_cast<const void*>(&sendMessageTimeoutRecorder));
    return plain || bounded;
}

} // namespace hostsim
