// Cost of reading the process list: milliseconds per process for strell::getProcessInfoList over all
// processes of the machine, against a plain process snapshot walk (names only, no command lines) as the floor.
//
// usage: process_bench [path of procs_helper.exe]
// Without a path the helper is looked for beside this program and in ..\tests\procs.

#include "bench_clock.h"
#include "helper_process.h"

#include "strell_process.h"
#include "test_support.h"
#include "strell_systeminfo.h"
#include "win32_handles.h"

#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

const int kHelpers = benchCount(50, 5);
const int kRounds = benchCount(7, 1);

std::string findHelper(int argc, char** argv)
{
    if (argc > 1)
        return argv[1];
    const std::string candidate = testsupport::winPath(PROCS_HELPER_EXE);
    return GetFileAttributesA(candidate.c_str()) != INVALID_FILE_ATTRIBUTES ? candidate : std::string();
}

struct Round {
    size_t processes;
    size_t records;
    double milliseconds;
};

// strell::getProcessIds and strell::getProcessInfoList over every process.
Round readInfoList()
{
    const double start = (benchSeconds() * 1000.0);
    strell::ProcessIdList ids;
    strell::getProcessIds(ids);
    strell::ProcessInfoList infos;
    strell::getProcessInfoList(ids, infos);
    return Round{ids.size(), infos.size(), (benchSeconds() * 1000.0) - start};
}

// The floor: one process snapshot walked entry by entry.
Round walkSnapshot()
{
    const double start = (benchSeconds() * 1000.0);
    size_t count = 0;
    strell::unique_snapshot snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    if (snapshot && Process32First(snapshot.get(), &entry)) {
        do {
            ++count;
            entry.dwSize = sizeof entry;
        } while (Process32Next(snapshot.get(), &entry));
    }
    return Round{count, count, (benchSeconds() * 1000.0) - start};
}

// Where the time of one record goes: opening, command line, module list.
void breakdown(const strell::ProcessIdList& ids)
{
    double open = 0, commandLine = 0, modules = 0;
    size_t read = 0, moduleCount = 0;
    for (DWORD id : ids) {
        double t = (benchSeconds() * 1000.0);
        strell::unique_process process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id));
        open += (benchSeconds() * 1000.0) - t;
        if (!process)
            continue;
        try {
            t = (benchSeconds() * 1000.0);
            strell::getProcessCommandLine(process.get());
            commandLine += (benchSeconds() * 1000.0) - t;
            t = (benchSeconds() * 1000.0);
            strell::ModuleInfoList list;
            moduleCount += strell::getModuleList(process.get(), list);
            modules += (benchSeconds() * 1000.0) - t;
            ++read;
        } catch (const std::exception&) {
        }
    }
    if (read == 0)
        return;
    std::printf("per readable process: OpenProcess %.3f ms, command line %.3f ms, "
                "strell::getModuleList %.3f ms (%.1f modules, both names each)\n",
                open / read, commandLine / read, modules / read, static_cast<double>(moduleCount) / read);
}

} // namespace

int main(int argc, char** argv)
{
    const std::string helper = findHelper(argc, argv);
    if (helper.empty()) {
        std::fprintf(stderr, "procs_helper.exe not found; give its path as the first argument\n");
        return 2;
    }

    std::vector<std::unique_ptr<procstest::HelperProcess>> helpers;
    try {
        procstest::HelperOptions options;
        options.program = helper;
        for (int i = 0; i < kHelpers; ++i) {
            options.commandLine = "\"" + helper + "\" bench helper " + std::to_string(i);
            helpers.push_back(std::make_unique<procstest::HelperProcess>(options));
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "cannot start the helpers: %s\n", e.what());
        return 2;
    }

    readInfoList();  // warm-up: libraries, privilege, caches
    walkSnapshot();
    std::vector<double> listPerProcess, snapshotPerProcess;
    Round list{}, snapshot{};
    for (int round = 0; round < kRounds; ++round) {
        list = readInfoList();
        snapshot = walkSnapshot();
        listPerProcess.push_back(list.milliseconds / list.processes);
        snapshotPerProcess.push_back(snapshot.milliseconds / snapshot.processes);
    }

    std::printf("processes: %u (with %d helpers), records read: %u, snapshot entries: %u, rounds: %d\n",
                static_cast<unsigned>(list.processes), kHelpers, static_cast<unsigned>(list.records),
                static_cast<unsigned>(snapshot.processes), kRounds);
    const double listMedian = median(listPerProcess);
    const double snapshotMedian = median(snapshotPerProcess);
    std::printf("strell::getProcessInfoList:  %.3f ms per process (median; best %.3f), %.1f ms per list\n",
                listMedian, *std::min_element(listPerProcess.begin(), listPerProcess.end()),
                listMedian * list.processes);
    std::printf("process snapshot walk:       %.4f ms per process (median; best %.4f), %.2f ms per list\n",
                snapshotMedian, *std::min_element(snapshotPerProcess.begin(), snapshotPerProcess.end()),
                snapshotMedian * snapshot.processes);
    std::printf("ratio list / snapshot:       %.1f\n", listMedian / snapshotMedian);

    strell::ProcessIdList ids;
    strell::getProcessIds(ids);
    breakdown(ids);
    return 0;
}
