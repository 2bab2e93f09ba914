// Runs a program and answers its message boxes from a script, printing every box as it appears.
//
// usage: boxdriver [--answers yes,no,ok,...] [--timeout ms] [--cd folder] [--utf8] [--hold folder]
//                  -- <program> [arguments]
// Boxes beyond the script are answered with their first button. The exit code is the program's
// (99 when it had to be stopped after the time-out).
// --hold lets a caller look at each box before it is answered (the screenshot script): box N is kept
// open after "<folder>\box<N>.shown" is written, until "<folder>\box<N>.taken" appears (at most 60 s).

#include "message_boxes.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

bool g_Utf8 = false;
std::string g_HoldFolder;

void holdForCaller(size_t boxNumber)
{
    if (g_HoldFolder.empty())
        return;
    const std::string stem = g_HoldFolder + "\\box" + std::to_string(boxNumber);
    if (FILE* shown = std::fopen((stem + ".shown").c_str(), "w"))
        std::fclose(shown);
    for (int waited = 0; waited < 600 && GetFileAttributesA((stem + ".taken").c_str()) == INVALID_FILE_ATTRIBUTES;
         ++waited)
        Sleep(100);
}

std::string forTerminal(const std::string& text)
{
    if (!g_Utf8 || text.empty())
        return text;
    std::wstring wide(text.size(), L'\0');
    wide.resize(MultiByteToWideChar(1252, 0, text.data(), static_cast<int>(text.size()), &wide[0],
                                    static_cast<int>(wide.size())));
    std::string utf8(wide.size() * 3, '\0');
    utf8.resize(WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &utf8[0],
                                    static_cast<int>(utf8.size()), nullptr, nullptr));
    return utf8;
}

void printBox(const testsupport::MessageBoxInfo& box)
{
    std::printf("  +-- message box \"%s\"  [%s%s]\n", forTerminal(box.caption).c_str(), box.buttonText().c_str(),
                box.hasIcon ? ", with icon" : "");
    std::string text = box.text;
    size_t pos = 0;
    do {
        const size_t end = text.find('\n', pos);
        std::printf("  | %s\n", forTerminal(text.substr(pos, end == std::string::npos ? std::string::npos : end - pos)).c_str());
        pos = end == std::string::npos ? end : end + 1;
    } while (pos != std::string::npos);
    std::fflush(stdout);
}

std::vector<int> parseAnswers(const std::string& list)
{
    std::vector<int> answers;
    size_t pos = 0;
    while (pos <= list.size()) {
        size_t end = list.find(',', pos);
        if (end == std::string::npos)
            end = list.size();
        const std::string word = list.substr(pos, end - pos);
        if (!word.empty()) {
            const int id = testsupport::buttonFromName(word);
            if (id == 0) {
                std::fprintf(stderr, "boxdriver: unknown answer \"%s\"\n", word.c_str());
                std::exit(2);
            }
            answers.push_back(id);
        }
        pos = end + 1;
    }
    return answers;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<int> answers;
    testsupport::RunOptions options;
    int i = 1;
    for (; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--") {
            ++i;
            break;
        } else if (arg == "--answers" && i + 1 < argc) {
            answers = parseAnswers(argv[++i]);
        } else if (arg == "--timeout" && i + 1 < argc) {
            options.timeoutMs = static_cast<DWORD>(std::atoi(argv[++i]));
        } else if (arg == "--cd" && i + 1 < argc) {
            options.currentFolder = argv[++i];
        } else if (arg == "--utf8") {
            g_Utf8 = true;
        } else if (arg == "--hold" && i + 1 < argc) {
            g_HoldFolder = argv[++i];
        } else {
            std::fprintf(stderr, "usage: boxdriver [--answers yes,no,ok] [--timeout ms] [--cd folder] [--utf8] [--hold folder] -- "
                                 "program [args]\n");
            return 2;
        }
    }
    if (i >= argc) {
        std::fprintf(stderr, "boxdriver: no program given\n");
        return 2;
    }
    std::string commandLine;
    for (; i < argc; ++i)
        commandLine += (commandLine.empty() ? "" : " ") + testsupport::quoteArgument(argv[i]);

    size_t next = 0;
    testsupport::ProgramRun run = testsupport::runAnsweringBoxes(
        commandLine,
        [&](const testsupport::MessageBoxInfo& box) {
            printBox(box);
            holdForCaller(next + 1);
            const int button = next < answers.size() ? answers[next] : box.buttons.front();
            ++next;
            std::printf("  +-- answered: %s\n\n", testsupport::buttonName(button).c_str());
            std::fflush(stdout);
            return button;
        },
        options);
    if (!run.output.empty())
        std::printf("%s", forTerminal(run.output).c_str());
    if (run.timedOut) {
        std::fprintf(stderr, "boxdriver: program did not end in time\n");
        return 99;
    }
    return static_cast<int>(run.exitCode);
}
