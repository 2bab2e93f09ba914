#include "message_boxes.h"

#include "process_launcher.h"
#include "strell_process.h"
#include "win32_handles.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace testsupport {

namespace {

// The icon of a message box is a static control with this id; it is hidden when the box has none.
// (Icons are process-local handles, so which icon it shows cannot be read from outside.)
const int kIconControl = 0x0440;

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
        box.text = strell::getWindowText(child);
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
    box.caption = strell::getWindowText(window);
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

// "NAME=value" lines separated by '\n'; anything else is left out.
std::vector<std::string> environmentLines(const std::string& text)
{
    std::vector<std::string> variables;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        if (line.find('=') != std::string::npos)
            variables.push_back(line);
    }
    return variables;
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

    LaunchOptions launchOptions;
    launchOptions.variables = environmentLines(options.environment);
    launchOptions.currentFolder = options.currentFolder;
    launchOptions.output = output.get();
    ChildProcess process;
    try {
        process = launch(commandLine, launchOptions);
    } catch (...) {
        output.reset();
        DeleteFileA(outputPath);
        throw;
    }
    // The program writes through its own inherited copy.
    output.reset();

    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= options.timeoutMs) {
            run.timedOut = true;
            process.terminate(99);
            break;
        }
        MessageBoxInfo box;
        if (waitForMessageBox(process.id(), process.handle(), options.timeoutMs - elapsed, box)) {
            run.boxes.push_back(box);
            if (options.onBox)
                options.onBox(box);
            const int button = answerer(box);
            run.answers.push_back(button);
            answerMessageBox(box, button);
            continue;
        }
        if (process.wait(0))
            break;
    }
    run.exitCode = process.exitCode();
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
