#include "wait/wait_window.h"

#include "com/debug_out.h"
#include "com/plugin_module.h"
#include "stringex.h"

namespace {

const char* const kClassName = "QuovanWaitWindow";
const char* const kTitle = "Quovan";
const char* const kSentence = "Die Karten werden an den Quovan Desktop übergeben. Bitte warten …";
const char* const kCancel = "Abbrechen";
const int kWidth = 380, kHeight = 130;

HINSTANCE instance()
{
    return plugin::moduleHandle() ? plugin::moduleHandle() : GetModuleHandleA(nullptr);
}

void cancel(HWND window)
{
    auto* cancelled = reinterpret_cast<std::atomic<bool>*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (cancelled)
        cancelled->store(true);
}

LRESULT CALLBACK waitWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NCCREATE:
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
        break;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL)
            cancel(window);
        return 0;
    case WM_CLOSE:
        cancel(window);
        return 0;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void setFont(HWND window)
{
    SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
}

} // namespace

HWND createWaitWindow(HWND owner, std::atomic<bool>* cancelled)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = waitWindowProc;
    windowClass.hInstance = instance();
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    if (!RegisterClassA(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        debugOut("wait window not shown: %s", strell::getWin32ErrorText(GetLastError()).c_str());
        return nullptr;
    }
    // Centred over the owner, or the screen.
    RECT area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (owner)
        GetWindowRect(owner, &area);
    const int x = area.left + (area.right - area.left - kWidth) / 2;
    const int y = area.top + (area.bottom - area.top - kHeight) / 2;
    const HWND window = CreateWindowExA(WS_EX_DLGMODALFRAME, kClassName, kTitle, WS_POPUP | WS_CAPTION | WS_SYSMENU,
                                        x, y, kWidth, kHeight, owner, nullptr, instance(), cancelled);
    if (!window) {
        debugOut("wait window not shown: %s", strell::getWin32ErrorText(GetLastError()).c_str());
        UnregisterClassA(kClassName, instance());
        return nullptr;
    }
    RECT client;
    GetClientRect(window, &client);
    const HWND text = CreateWindowExA(0, "STATIC", kSentence, WS_CHILD | WS_VISIBLE | SS_LEFT, 16, 16,
                                      client.right - 32, 36, window, nullptr, instance(), nullptr);
    const HWND button = CreateWindowExA(0, "BUTTON", kCancel, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
                                        (client.right - 100) / 2, client.bottom - 40, 100, 26, window,
                                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDCANCEL)), instance(), nullptr);
    setFont(text);
    setFont(button);
    ShowWindow(window, SW_SHOW);
    SetFocus(button);
    return window;
}

void destroyWaitWindow(HWND window)
{
    DestroyWindow(window);
    UnregisterClassA(kClassName, instance());
}
