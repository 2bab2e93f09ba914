// Runs the log calls named on its command line, one step per argument, in its current folder:
//   info:<verbosity>:<file>:<text>   error:<file>:<text>   warning:<file>:<text>   raw:<file>:<text>
//   errorbox:<file>:<text>           repeat:<count>:<file>:<text>   (LogInfo "<text> <i>", i from 1)
//   long:<length>:<file>             facility:<name>   sender:<name>   close   free   state
//   many:<threads>:<lines>:<file>    closing:<threads>:<lines>:<file>   (LogCloseFiles meanwhile)
//   halves:<threads>:<lines>:<file>:<barrier>   (half of the lines, the barrier, the other half)
//   barrier:<name>                   (creates <name>.reached, waits for <name>.go)
//   flood:<count>:<file>             (LogError of 2000-character texts)
// "state" prints "state link=<0|1> backlog=<n> queued=<n> verbose=<n>".

#include "strell_log.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

std::vector<std::string> fields(const std::string& step, size_t count)
{
    std::vector<std::string> parts;
    size_t start = 0;
    while (parts.size() + 1 < count) {
        const size_t colon = step.find(':', start);
        if (colon == std::string::npos)
            break;
        parts.push_back(step.substr(start, colon - start));
        start = colon + 1;
    }
    parts.push_back(step.substr(start));
    while (parts.size() < count)
        parts.push_back(std::string());
    return parts;
}

bool fileExists(const std::string& name)
{
    return GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void barrier(const std::string& name)
{
    std::FILE* reached = std::fopen((name + ".reached").c_str(), "w");
    if (reached)
        std::fclose(reached);
    for (int i = 0; i < 3000 && !fileExists(name + ".go"); ++i)
        Sleep(10);
}

// One line of thread t: its number, its index and a payload that repeats both, so that a torn or mixed
// line shows.
std::string loadLine(int t, int i)
{
    char head[32];
    std::snprintf(head, sizeof head, "t=%02d i=%05d ", t, i);
    std::string line = head;
    for (int k = 0; k < 6; ++k)
        line += head;
    return line;
}

void logFromThreads(int threads, int first, int last, const std::string& file)
{
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
        workers.emplace_back([=] {
            for (int i = first; i < last; ++i)
                strell::LogInfo(loadLine(t, i), 0, file);
        });
    for (auto& w : workers)
        w.join();
}

void runStep(const std::string& step)
{
    const std::string name = fields(step, 2)[0];
    if (name == "info") {
        const auto f = fields(step, 4);
        strell::LogInfo(f[3], std::atoi(f[1].c_str()), f[2]);
    } else if (name == "error") {
        const auto f = fields(step, 3);
        strell::LogError(f[2], f[1]);
    } else if (name == "warning") {
        const auto f = fields(step, 3);
        strell::LogWarning(f[2], f[1]);
    } else if (name == "raw") {
        const auto f = fields(step, 3);
        strell::LogRaw(f[2], f[1]);
    } else if (name == "errorbox") {
        const auto f = fields(step, 3);
        strell::LogErrorBox(f[2], f[1]);
    } else if (name == "repeat") {
        const auto f = fields(step, 4);
        for (int i = 1; i <= std::atoi(f[1].c_str()); ++i)
            strell::LogInfo(f[3] + " " + std::to_string(i), 0, f[2]);
    } else if (name == "long") {
        const auto f = fields(step, 3);
        strell::LogInfo(std::string(std::atoi(f[1].c_str()), 'x') + "END", 0, f[2]);
    } else if (name == "facility") {
        strell::SetFacilityName(fields(step, 2)[1]);
    } else if (name == "sender") {
        strell::SetSenderName(fields(step, 2)[1]);
    } else if (name == "close") {
        strell::LogCloseFiles();
    } else if (name == "free") {
        CLifetimeManager::instance().freeAll();
    } else if (name == "state") {
        strell::CLog* log = strell::CLog::instance();
        std::printf("state link=%d backlog=%u queued=%d verbose=%d\n", log->hasLink() ? 1 : 0,
                    static_cast<unsigned>(log->backlogSize()), log->queuedRecords(), log->verboseLevel());
    } else if (name == "many") {
        const auto f = fields(step, 4);
        logFromThreads(std::atoi(f[1].c_str()), 0, std::atoi(f[2].c_str()), f[3]);
    } else if (name == "closing") {
        const auto f = fields(step, 4);
        std::atomic<bool> done{false};
        std::thread loggers([f, &done] {
            logFromThreads(std::atoi(f[1].c_str()), 0, std::atoi(f[2].c_str()), f[3]);
            done = true;
        });
        int closes = 0;
        for (; !done; ++closes) {
            strell::LogCloseFiles();
            Sleep(1);
        }
        loggers.join();
        std::printf("closes=%d\n", closes);
    } else if (name == "halves") {
        const auto f = fields(step, 5);
        const int threads = std::atoi(f[1].c_str()), lines = std::atoi(f[2].c_str());
        logFromThreads(threads, 0, lines / 2, f[3]);
        barrier(f[4]);
        logFromThreads(threads, lines / 2, lines, f[3]);
    } else if (name == "barrier") {
        barrier(fields(step, 2)[1]);
    } else if (name == "flood") {
        const auto f = fields(step, 3);
        for (int i = 0; i < std::atoi(f[1].c_str()); ++i)
            strell::LogError(std::to_string(i) + std::string(2000, 'F'), f[2]);
    } else {
        std::printf("unknown step %s\n", step.c_str());
        std::exit(2);
    }
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        runStep(argv[i]);
    return 0;
}
