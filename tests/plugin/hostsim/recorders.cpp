#include "recorders.h"

#include "transcript.h"
#include "transcript_text.h"

#include <cstring>

namespace hostsim {

namespace {

CTranscript* g_DebugTranscript = nullptr;
CTranscript* g_BoxTranscript = nullptr;
CTranscript* g_ShellTranscript = nullptr;

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

std::string windowText(HWND window)
{
    char buffer[8192] = {};
    const int length = GetWindowTextA(window, buffer, sizeof buffer);
    return std::string(buffer, length > 0 ? static_cast<size_t>(length) : 0);
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
            g_BoxTranscript->line("box plugin [" + windowText(message->hwnd) + "] " + quote(windowText(text)));
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
    const HMODULE shell = GetModuleHandleA("shell32.dll");
    const FARPROC original = shell ? GetProcAddress(shell, "ShellExecuteA") : nullptr;
    if (!module || !original)
        return false;
    g_ShellTranscript = &transcript;

    BYTE* base = reinterpret_cast<BYTE*>(module);
    const IMAGE_DOS_HEADER* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const IMAGE_NT_HEADERS* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0)
        return false;
    bool replaced = false;
    for (const IMAGE_IMPORT_DESCRIPTOR* descriptor =
             reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         descriptor->Name != 0; ++descriptor) {
        if (lstrcmpiA(reinterpret_cast<const char*>(base + descriptor->Name), "shell32.dll") != 0)
            continue;
        for (IMAGE_THUNK_DATA* thunk = reinterpret_cast<IMAGE_THUNK_DATA*>(base + descriptor->FirstThunk);
             thunk->u1.Function != 0; ++thunk) {
            if (thunk->u1.Function != reinterpret_cast<ULONG_PTR>(original))
                continue;
            DWORD protection = 0;
            VirtualProtect(&thunk->u1.Function, sizeof thunk->u1.Function, PAGE_READWRITE, &protection);
            thunk->u1.Function = reinterpret_cast<ULONG_PTR>(&shellExecuteRecorder);
            VirtualProtect(&thunk->u1.Function, sizeof thunk->u1.Function, protection, &protection);
            replaced = true;
        }
    }
    return replaced;
}

} // namespace hostsim
