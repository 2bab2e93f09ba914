// A stand-in process for the process and window tests. It ignores its command line (the tests choose it
// freely) and takes its orders from environment variables:
//   STRELL_HELPER_PARENT   id of the starting process; the helper ends when that process ends
//   STRELL_HELPER_READY    name of an event set once everything below is in place
//   STRELL_HELPER_QUIT     name of an event that ends the helper with exit code 3
//   STRELL_HELPER_WINDOWS  titles of top-level windows to open, separated by "|"
//   STRELL_HELPER_POPUP    title of a popup window owned by the first of those windows
//   STRELL_HELPER_LOAD     path of a library to load
//   STRELL_HELPER_CMDLINE  "<length>,<maximum>": the command line in the process parameters is replaced by
//                          a committed page of 2048 'A' characters followed by inaccessible memory, with
//                          the given counted length and maximum length in bytes; "unreadable": by 64
//                          characters where no other process can read them (64-bit: an address that does
//                          not exist; 32-bit: released memory, which Wine may read as zeros)

#include <windows.h>
#include <winternl.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string environment(const char* name)
{
    char buffer[4096];
    const DWORD length = GetEnvironmentVariableA(name, buffer, sizeof buffer);
    return length > 0 && length < sizeof buffer ? std::string(buffer, length) : std::string();
}

std::vector<std::string> split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    if (text.empty())
        return parts;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            return parts;
        start = end + 1;
    }
}

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND openWindow(const std::string& title, DWORD style, HWND owner)
{
    static ATOM windowClass = [] {
        WNDCLASSA description = {};
        description.lpfnWndProc = windowProcedure;
        description.hInstance = GetModuleHandleA(nullptr);
        description.lpszClassName = "StrellProcsHelper";
        return RegisterClassA(&description);
    }();
    if (!windowClass)
        ExitProcess(10);
    HWND window = CreateWindowExA(0, "StrellProcsHelper", title.c_str(), style, 0, 0, 200, 100, owner, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    if (!window)
        ExitProcess(11);
    return window;
}

void makeCommandLineUnreadable()
{
    UNICODE_STRING& commandLine = NtCurrentTeb()->ProcessEnvironmentBlock->ProcessParameters->CommandLine;
#ifdef _WIN64
    commandLine.Buffer = reinterpret_cast<wchar_t*>(0x8000000000000000ull);
#else
    void* released = VirtualAlloc(nullptr, 65536, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (!released || !VirtualFree(released, 0, MEM_RELEASE))
        ExitProcess(17);
    commandLine.Buffer = static_cast<wchar_t*>(released);
#endif
    commandLine.Length = 64 * sizeof(wchar_t);
    commandLine.MaximumLength = commandLine.Length;
}

void replaceCommandLine(const std::string& lengths)
{
    if (lengths == "unreadable") {
        makeCommandLineUnreadable();
        return;
    }
    const std::vector<std::string> parts = split(lengths, ',');
    if (parts.size() != 2)
        ExitProcess(12);
    // One committed page; the rest of the reservation stays inaccessible.
    auto* page = static_cast<wchar_t*>(VirtualAlloc(nullptr, 65536, MEM_RESERVE, PAGE_NOACCESS));
    if (!page || !VirtualAlloc(page, 4096, MEM_COMMIT, PAGE_READWRITE))
        ExitProcess(13);
    for (int i = 0; i < 2048; ++i)
        page[i] = L'A';
    UNICODE_STRING& commandLine = NtCurrentTeb()->ProcessEnvironmentBlock->ProcessParameters->CommandLine;
    commandLine.Buffer = page;
    commandLine.Length = static_cast<USHORT>(std::strtoul(parts[0].c_str(), nullptr, 10));
    commandLine.MaximumLength = static_cast<USHORT>(std::strtoul(parts[1].c_str(), nullptr, 10));
}

HANDLE openEvent(const std::string& name)
{
    return name.empty() ? nullptr : OpenEventA(EVENT_MODIFY_STATE | SYNCHRONIZE, FALSE, name.c_str());
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    std::vector<HANDLE> waits;
    if (HANDLE quit = openEvent(environment("STRELL_HELPER_QUIT")))
        waits.push_back(quit);
    const std::string parentId = environment("STRELL_HELPER_PARENT");
    if (!parentId.empty()) {
        HANDLE parent = OpenProcess(SYNCHRONIZE, FALSE, std::strtoul(parentId.c_str(), nullptr, 10));
        if (!parent)
            return 14; // the parent is already gone
        waits.push_back(parent);
    }

    const std::string library = environment("STRELL_HELPER_LOAD");
    if (!library.empty() && !LoadLibraryA(library.c_str()))
        return 15;
    std::vector<HWND> windows;
    for (const std::string& title : split(environment("STRELL_HELPER_WINDOWS"), '|'))
        windows.push_back(openWindow(title, WS_OVERLAPPEDWINDOW, nullptr));
    const std::string popup = environment("STRELL_HELPER_POPUP");
    if (!popup.empty())
        openWindow(popup, WS_POPUP, windows.empty() ? nullptr : windows.front());
    const std::string lengths = environment("STRELL_HELPER_CMDLINE");
    if (!lengths.empty())
        replaceCommandLine(lengths);

    if (HANDLE ready = openEvent(environment("STRELL_HELPER_READY")))
        SetEvent(ready);

    for (;;) {
        const DWORD result = MsgWaitForMultipleObjects(static_cast<DWORD>(waits.size()), waits.data(), FALSE,
                                                       INFINITE, QS_ALLINPUT);
        if (result < WAIT_OBJECT_0 + waits.size())
            return 3;
        if (result != WAIT_OBJECT_0 + waits.size())
            return 16;
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
}
