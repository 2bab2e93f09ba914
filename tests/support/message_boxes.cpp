#include "message_boxes.h"

#include "win32_handles.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace testsupport {

namespace {

// The icon of a message box is a static control with this id; it is hidden when the box has none.
// (Icons are process-local handles, so which icon it shows cannot be read from outside.)
const int kIconControl = 0x0440;

std::string windowText(HWND window)
{
    char buffer[8192] = {};
    const int n = GetWindowTextA(window, buffer, sizeof buffer);
    return std::string(buffer, n > 0 ? n : 0);
}

std::string className(HWND window)
{
    char buffer[256] = {};
    GetClassNameA(window, buffer, sizeof buffer);
    return buffer;
}

struct Search {
    DWORD processId;
    std::vector<MessageBoxInfo>* found;
};

BOOL CALLBACK collectChild(HWND child, LPARAM param)
{
    MessageBoxInfo& box = *reinterpret_cast<MessageBoxInfo*>(param);
    const int id = GetDlgCtrlID(child);
    const std::string cls = className(child);
    if (!IsWindowVisible(child))
        return TRUE;
    if (id == 0xFFFF) {
        box.text = windowText(child);
    } else if (lstrcmpiA(cls.c_str(), "Button") == 0) {
        box.buttons.push_back(id);
    } else if (id == kIconControl) {
        box.hasIcon = SendMessageA(child, STM_GETICON, 0, 0) != 0;
    }
    return TRUE;
}

BOOL CALLBACK collectBox(HWND window, LPARAM param)
{
    Search& search = *reinterpret_cast<Search*>(param);
    if (className(window) != "#32770" || !IsWindowVisible(window))
        return TRUE;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (search.processId != 0 && pid != search.processId)
        return TRUE;
    if (!GetDlgItem(window, 0xFFFF))
        return TRUE;
    MessageBoxInfo box;
    box.window = window;
    box.processId = pid;
    box.caption = windowText(window);
    EnumChildWindows(window, collectChild, reinterpret_cast<LPARAM>(&box));
    search.found->push_back(box);
    return TRUE;
}

} // namespace

std::string buttonName(int id)
{
    switch (id) {
    case IDOK: return "OK";
    case IDCANCEL: return "Cancel";
    case IDABORT: return "Abort";
    case IDRETRY: return "Retry";
    case IDIGNORE: return "Ignore";
    case IDYES: return "Yes";
    case IDNO: return "No";
    default: return "#" + std::to_string(id);
    }
}

int buttonFromName(const std::string& name)
{
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return static_cast<char>(tolower(c)); });
    if (lower == "ok") return IDOK;
    if (lower == "cancel") return IDCANCEL;
    if (lower == "yes") return IDYES;
    if (lower == "no") return IDNO;
    return 0;
}

std::string MessageBoxInfo::buttonText() const
{
    std::string all;
    for (int id : buttons)
        all += (all.empty() ? "" : "/") + buttonName(id);
    return all;
}

std::string MessageBoxInfo::describe() const
{
    return "[" + caption + "] (" + buttonText() + (hasIcon ? ", icon" : "") + ") " + text;
}

std::vector<MessageBoxInfo> findMessageBoxes(DWORD processId)
{
    std::vector<MessageBoxInfo> boxes;
    Search search{processId, &boxes};
    EnumWindows(collectBox, reinterpret_cast<LPARAM>(&search));
    return boxes;
}

bool waitForMessageBox(DWORD processId, HANDLE process, DWORD timeoutMs, MessageBoxInfo& box)
{
    const DWORD start = GetTickCount();
    for (;;) {
        std::vector<MessageBoxInfo> boxes = findMessageBoxes(processId);
        // A box is complete once its buttons exist.
        for (const MessageBoxInfo& candidate : boxes)
            if (!candidate.buttons.empty()) {
                box = candidate;
                return true;
            }
        if (process && WaitForSingleObject(process, 0) == WAIT_OBJECT_0)
            return false;
        if (GetTickCount() - start >= timeoutMs)
            return false;
        Sleep(15);
    }
}

bool answerMessageBox(const MessageBoxInfo& box, int buttonId, DWORD timeoutMs)
{
    HWND button = GetDlgItem(box.window, buttonId);
    if (!PostMessageA(box.window, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), reinterpret_cast<LPARAM>(button)))
        return false;
    const DWORD start = GetTickCount();
    while (IsWindow(box.window) && IsWindowVisible(box.window)) {
        if (GetTickCount() - start >= timeoutMs)
            return false;
        Sleep(5);
    }
    return true;
}

std::string quoteArgument(const std::string& argument)
{
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos)
        return argument;
    return "\"" + argument + "\"";
}

namespace {

std::string buildEnvironment(const std::string& extra)
{
    // Current environment, with the extra lines added or replacing same-named variables.
    std::vector<std::string> vars;
    char* block = GetEnvironmentStringsA();
    for (const char* p = block; *p; p += lstrlenA(p) + 1)
        vars.emplace_back(p);
    FreeEnvironmentStringsA(block);
    size_t pos = 0;
    while (pos < extra.size()) {
        size_t end = extra.find('\n', pos);
        if (end == std::string::npos)
            end = extra.size();
        const std::string line = extra.substr(pos, end - pos);
        pos = end + 1;
        const size_t eq = line.find('=');
        if (line.empty() || eq == std::string::npos)
            continue;
        const std::string name = line.substr(0, eq + 1);
        vars.erase(std::remove_if(vars.begin(), vars.end(),
                                  [&](const std::string& v) { return lstrcmpiA(v.substr(0, name.size()).c_str(), name.c_str()) == 0; }),
                   vars.end());
        vars.push_back(line);
    }
    std::string result;
    for (const std::string& v : vars)
        result += v + '\0';
    result += '\0';
    return result;
}

} // namespace

ProgramRun runAnsweringBoxes(const std::string& commandLine,
                             const std::function<int(const MessageBoxInfo&)>& answerer, const RunOptions& options)
{
    ProgramRun run;

    // Output of the program goes to a temporary file, read back at the end.
    char tempFolder[MAX_PATH];
    GetTempPathA(MAX_PATH, tempFolder);
    char outputPath[MAX_PATH];
    GetTempFileNameA(tempFolder, "out", 0, outputPath);
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    strell::unique_hfile output(CreateFileA(outputPath, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                            CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr));

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = output.get();
    startup.hStdError = output.get();
    PROCESS_INFORMATION info = {};
    std::string mutableLine = commandLine;
    const std::string environment = options.environment.empty() ? std::string() : buildEnvironment(options.environment);
    if (!CreateProcessA(nullptr, &mutableLine[0], nullptr, nullptr, TRUE, 0,
                        environment.empty() ? nullptr : const_cast<char*>(environment.data()),
                        options.currentFolder.empty() ? nullptr : options.currentFolder.c_str(), &startup, &info)) {
        DeleteFileA(outputPath);
        throw std::runtime_error("cannot start: " + commandLine + " (error " + std::to_string(GetLastError()) + ")");
    }
    output.reset();
    strell::unique_process process(info.hProcess);
    strell::unique_handle_null thread(info.hThread);

    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= options.timeoutMs) {
            run.timedOut = true;
            TerminateProcess(process.get(), 99);
            WaitForSingleObject(process.get(), 5000);
            break;
        }
        MessageBoxInfo box;
        if (waitForMessageBox(info.dwProcessId, process.get(), options.timeoutMs - elapsed, box)) {
            run.boxes.push_back(box);
            if (options.onBox)
                options.onBox(box);
            const int button = answerer(box);
            run.answers.push_back(button);
            answerMessageBox(box, button);
            continue;
        }
        if (WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0)
            break;
    }
    GetExitCodeProcess(process.get(), &run.exitCode);
    run.output = [&] {
        std::string text;
        FILE* f = std::fopen(outputPath, "rb");
        if (f) {
            char buffer[4096];
            size_t n;
            while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
                text.append(buffer, n);
            std::fclose(f);
        }
        return text;
    }();
    DeleteFileA(outputPath);
    return run;
}

ProgramRun runAnsweringBoxes(const std::string& commandLine, const std::vector<int>& answers, const RunOptions& options)
{
    size_t next = 0;
    return runAnsweringBoxes(
        commandLine,
        [&](const MessageBoxInfo& box) {
            if (next < answers.size())
                return answers[next++];
            ++next;
            return box.buttons.empty() ? IDOK : box.buttons.front();
        },
        options);
}

} // namespace testsupport
