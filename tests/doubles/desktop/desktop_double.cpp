// Test double of the desktop program: top-level windows that answer the plug-in's WM_COPYDATA commands
// and record every command they receive.
//
// usage: quovan.exe [--title text] [--windows n] [--version n] [--idle 0|1] [--exit accept|refuse]
//                   [--export n] [--record file] [--startup-delay ms] [--ready-file file]
//                   [--busy-for ms] [--answer-delay ms] [--lifetime ms] [--hung 0|1]
//   --title         window title (default "Quovan Desktop")
//   --windows       number of top-level windows (default 1)
//   --version       answer to "name=druvversion" (default 95)
//   --idle          answer to "name=druvidle" (default 1)
//   --exit          "name=exit": accept (answer 1 and quit) or refuse (answer 0 and stay); default accept
//   --export        answer to the export command (default 1)
//   --record        file that receives one line per command (appended), and a line "start ..." with
//                   the process id and command line when the program starts, "end ..." when it quits
//   --startup-delay wait before the windows are created (ms)
//   --ready-file    file written once the windows exist
//   --busy-for      "name=druvidle" is answered 0 until this long after the windows exist (ms)
//   --answer-delay  every command is answered this much later (ms)
//   --lifetime      the program quits by itself after this long (ms, default 120000), so that a
//                   double left behind by a failed test never answers a later one
//   --hung          1: once its windows exist the program never reads a message again (until its
//                   lifetime ends), as a hung program does
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const ULONG_PTR kMarker = 0xAABBCCDD;

struct Settings {
    std::string title = "Quovan Desktop";
    int windows = 1;
    int version = 95;
    int idle = 1;
    bool acceptExit = true;
    int exportAnswer = 1;
    std::string record;
    int startupDelay = 0;
    std::string readyFile;
    int busyFor = 0;
    int answerDelay = 0;
    int lifetime = 120000;
    bool hung = false;
} g_Settings;

DWORD g_ReadyTick = 0;
const UINT_PTR kLifetimeTimer = 1;

std::string escaped(const char* data, size_t length)
{
    std::string text;
    for (size_t i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(data[i]);
        if (c == '\\') {
            text += "\\\\";
        } else if (c < 0x20 || c >= 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            text += hex;
        } else {
            text += static_cast<char>(c);
        }
    }
    return text;
}

// One line to the record file, if there is one.
void recordLine(const std::string& line)
{
    if (g_Settings.record.empty())
        return;
    FILE* out = std::fopen(g_Settings.record.c_str(), "ab");
    if (!out)
        return;
    std::fprintf(out, "%s\n", line.c_str());
    std::fclose(out);
}

void record(HWND window, WPARAM marker, const COPYDATASTRUCT* data, LRESULT answer)
{
    if (g_Settings.record.empty())
        return;
    FILE* out = std::fopen(g_Settings.record.c_str(), "ab");
    if (!out)
        return;
    std::fprintf(out, "pid=%lu window=%ld marker=%08lX tag=%lu length=%lu answer=%ld data=%s\n", GetCurrentProcessId(),
                 static_cast<long>(GetWindowLongPtrA(window, GWLP_USERDATA)), static_cast<unsigned long>(marker),
                 static_cast<unsigned long>(data->dwData), static_cast<unsigned long>(data->cbData),
                 static_cast<long>(answer), escaped(static_cast<const char*>(data->lpData), data->cbData).c_str());
    std::fclose(out);
}

LRESULT answerCommand(const std::string& command)
{
    if (command == "name=druvidle")
        return GetTickCount() - g_ReadyTick < static_cast<DWORD>(g_Settings.busyFor) ? 0 : g_Settings.idle;
    if (command == "name=druvversion")
        return g_Settings.version;
    if (command == "name=exit") {
        if (!g_Settings.acceptExit)
            return 0;
        PostQuitMessage(0);
        return 1;
    }
    if (command.compare(0, 21, "name=druvexportmapex;") == 0)
        return g_Settings.exportAnswer;
    return 0;
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COPYDATA) {
        const COPYDATASTRUCT* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        const char* bytes = static_cast<const char*>(data->lpData);
        std::string command = bytes && data->cbData ? std::string(bytes, strnlen(bytes, data->cbData)) : std::string();
        if (g_Settings.answerDelay > 0)
            Sleep(static_cast<DWORD>(g_Settings.answerDelay));
        const LRESULT answer = wParam == kMarker ? answerCommand(command) : 0;
        record(window, wParam, data, answer);
        return answer;
    }
    if (message == WM_TIMER && wParam == kLifetimeTimer) {
        PostQuitMessage(0);
        return 0;
    }
    if (message == WM_CLOSE) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void parse(int argc, char** argv)
{
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        const char* value = argv[i + 1];
        if (name == "--title") g_Settings.title = value;
        else if (name == "--windows") g_Settings.windows = std::atoi(value);
        else if (name == "--version") g_Settings.version = std::atoi(value);
        else if (name == "--idle") g_Settings.idle = std::atoi(value);
        else if (name == "--exit") g_Settings.acceptExit = std::string(value) != "refuse";
        else if (name == "--export") g_Settings.exportAnswer = std::atoi(value);
        else if (name == "--record") g_Settings.record = value;
        else if (name == "--startup-delay") g_Settings.startupDelay = std::atoi(value);
        else if (name == "--ready-file") g_Settings.readyFile = value;
        else if (name == "--busy-for") g_Settings.busyFor = std::atoi(value);
        else if (name == "--answer-delay") g_Settings.answerDelay = std::atoi(value);
        else if (name == "--lifetime") g_Settings.lifetime = std::atoi(value);
        else if (name == "--hung") g_Settings.hung = std::atoi(value) != 0;
    }
}

} // namespace

int main(int argc, char** argv)
{
    parse(argc, argv);
    const char* commandLine = GetCommandLineA();
    recordLine("start pid=" + std::to_string(GetCurrentProcessId()) +
               " commandline=" + escaped(commandLine, std::strlen(commandLine)));
    if (g_Settings.startupDelay > 0)
        Sleep(static_cast<DWORD>(g_Settings.startupDelay));

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "DesktopDoubleWindow";
    RegisterClassA(&windowClass);

    std::vector<HWND> windows;
    for (int i = 0; i < g_Settings.windows; ++i) {
        HWND window = CreateWindowA(windowClass.lpszClassName, g_Settings.title.c_str(), WS_OVERLAPPEDWINDOW, 0, 0,
                                    200, 100, nullptr, nullptr, windowClass.hInstance, nullptr);
        SetWindowLongPtrA(window, GWLP_USERDATA, i);
        ShowWindow(window, SW_SHOWNORMAL);
        windows.push_back(window);
    }
    g_ReadyTick = GetTickCount();
    if (!windows.empty() && g_Settings.lifetime > 0)
        SetTimer(windows[0], kLifetimeTimer, static_cast<UINT>(g_Settings.lifetime), nullptr);
    if (!g_Settings.readyFile.empty())
        if (FILE* ready = std::fopen(g_Settings.readyFile.c_str(), "wb"))
            std::fclose(ready);
    if (g_Settings.hung) {
        Sleep(static_cast<DWORD>(g_Settings.lifetime));
        return 0;
    }

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    for (HWND window : windows)
        DestroyWindow(window);
    recordLine("end pid=" + std::to_string(GetCurrentProcessId()));
    return 0;
}
