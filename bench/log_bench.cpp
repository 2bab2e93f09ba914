// Lines per second of strell::LogInfo into a file, against a plain loop that does the same outputs per
// finished line (debugger output, the trace-level check, fwrite, fflush), and the plain fwrite + fflush
// rate beside it (the difference is what the debugger output costs under Wine).
// Runs in a fresh temporary folder without log.ini, so the facade is file-only.
//
// Goal: the facade reaches at least 80 % of the plain loop.

#include "bench_clock.h"
#include "strell_log.h"
#include "strell_trace.h"
#include "stringex.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>

namespace {

const int kLinesPerRound = benchCount(5000, 200);
const int kRounds = benchCount(5, 1);

std::string makeBenchFolder()
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "strell_log_bench_" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

// A finished line as the facade writes it.
std::string finishedLine(int i)
{
    return strell::formatString("INFO    log_bench.exe %s - bench line %d\n", strell::getDateTimeText().c_str(), i);
}

double linesPerSecond(const std::function<void(int)>& writeLine)
{
    const double start = benchSeconds();
    for (int i = 0; i < kLinesPerRound; ++i)
        writeLine(i);
    return kLinesPerRound / (benchSeconds() - start);
}

} // namespace

int main()
{
    const std::string folder = makeBenchFolder();
    SetCurrentDirectoryA(folder.c_str());
    strell::LogInfo("warm-up", 0, "facade.log"); // creates the facade

    std::FILE* plain = std::fopen("plain.log", "a");
    std::FILE* bare = std::fopen("bare.log", "a");
    std::vector<std::string> lines;
    for (int i = 0; i < kLinesPerRound; ++i)
        lines.push_back(finishedLine(i));

    const auto facade = [](int i) { strell::LogInfo(strell::formatString("bench line %d", i), 0, "facade.log"); };
    const auto plainLoop = [&](int i) {
        const std::string& line = lines[i];
        OutputDebugStringA(line.c_str());
        if (strell::getTraceLevel() > 0)
            std::fputs(line.c_str(), stdout);
        std::fwrite(line.data(), 1, line.size(), plain);
        std::fflush(plain);
    };
    const auto bareLoop = [&](int i) {
        const std::string& line = lines[i];
        std::fwrite(line.data(), 1, line.size(), bare);
        std::fflush(bare);
    };

    // Interleaved rounds, best of each, so that drifts of the machine hit all three alike.
    double bestFacade = 0, bestPlain = 0, bestBare = 0;
    for (int round = 0; round < kRounds; ++round) {
        bestFacade = std::max(bestFacade, linesPerSecond(facade));
        bestPlain = std::max(bestPlain, linesPerSecond(plainLoop));
        bestBare = std::max(bestBare, linesPerSecond(bareLoop));
    }
    std::fclose(plain);
    std::fclose(bare);

    std::printf("strell::LogInfo into a file:              %9.0f lines/s\n", bestFacade);
    std::printf("plain loop (debug output, check, fwrite):  %9.0f lines/s\n", bestPlain);
    std::printf("plain fwrite + fflush only:               %9.0f lines/s\n", bestBare);
    std::printf("facade / plain loop: %.1f %% (goal: at least 80 %%)\n", 100.0 * bestFacade / bestPlain);

    strell::LogCloseFiles();
    for (const char* name : {"facade.log", "plain.log", "bare.log", "strell.log"})
        DeleteFileA(name);
    SetCurrentDirectoryA("..");
    RemoveDirectoryA(folder.c_str());
    return 0;
}
