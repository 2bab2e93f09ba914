// A whole install run over 100 installations, message boxes answered by the test driver: total seconds,
// and the share of the running-application check (timed on its own in this process, which sees the
// same processes). Beside it, in the same rounds, the silent run over the same installations.
//
// usage: installer_bench [rounds]   (default 5)

#include "bench_clock.h"
#include "installer_log.h"
#include "message_boxes.h"
#include "running_check.h"
#include "test_support.h"
#include "win32_handles.h"

#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const int kInstallations = 100;

void createKey(const std::string& path)
{
    strell::unique_hkey key;
    RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr);
}

void deleteTree(const std::string& path)
{
    SHDeleteKeyA(HKEY_CURRENT_USER, path.c_str());
}

} // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : benchCount(5, 1);

    testsupport::TempDir root("installer_bench");
    const std::string dist = root.file("dist");
    CreateDirectoryA(dist.c_str(), nullptr);
    if (!CopyFileA(testsupport::winPath(INSTALLER_EXE).c_str(), (dist + "\\quovan_plugin_dist.exe").c_str(), FALSE)) {
        std::fprintf(stderr, "installer not found: %s\n", INSTALLER_EXE);
        return 1;
    }
    // The plug-in of this build: the installer refuses a file that is no complete DLL of its own kind.
    if (!CopyFileA(testsupport::winPath(QUOVAN_DLL).c_str(), (dist + "\\quovan.dll").c_str(), FALSE)) {
        std::fprintf(stderr, "plug-in not found: %s\n", QUOVAN_DLL);
        return 1;
    }

    // 10 products with 10 installations each, every one with its bin\PlugIn folder.
    const std::string registry = "Software\\QuovanBench\\run" + std::to_string(GetCurrentProcessId());
    for (int i = 0; i < kInstallations; ++i) {
        const std::string folder = root.file("maps" + std::to_string(i));
        CreateDirectoryA(folder.c_str(), nullptr);
        CreateDirectoryA((folder + "\\bin").c_str(), nullptr);
        CreateDirectoryA((folder + "\\bin\\PlugIn").c_str(), nullptr);
        std::string name = folder;
        std::replace(name.begin(), name.end(), '\\', '/');
        createKey(registry + "\\Product" + std::to_string(i / 10) + "\\" + name);
    }

    std::vector<double> runs, checks, silentRuns;
    int boxes = 0;
    for (int round = 0; round < rounds; ++round) {
        testsupport::RunOptions options;
        options.currentFolder = root.path();
        double start = benchSeconds();
        const testsupport::ProgramRun run = testsupport::runAnsweringBoxes(
            testsupport::quoteArgument(dist + "\\quovan_plugin_dist.exe") + " --basekey HKCU\\" + registry,
            std::vector<int>{IDOK}, options);
        const double runSeconds = benchSeconds() - start;
        if (run.timedOut || run.exitCode != 0 || run.boxes.size() != 1 ||
            run.boxes[0].text.find("für 100 installierte(s)") == std::string::npos) {
            std::fprintf(stderr, "unexpected run: exit %lu, %zu boxes\n", run.exitCode, run.boxes.size());
            deleteTree(registry);
            return 1;
        }
        boxes += static_cast<int>(run.boxes.size());
        runs.push_back(runSeconds);

        start = benchSeconds();
        const testsupport::ProgramRun silent = testsupport::runAnsweringBoxes(
            testsupport::quoteArgument(dist + "\\quovan_plugin_dist.exe") + " --silent --basekey HKCU\\" + registry,
            std::vector<int>{}, options);
        silentRuns.push_back(benchSeconds() - start);
        if (silent.timedOut || silent.exitCode != 0 || !silent.boxes.empty()) {
            std::fprintf(stderr, "unexpected silent run: exit %lu, %zu boxes\n", silent.exitCode, silent.boxes.size());
            deleteTree(registry);
            return 1;
        }

        installer::InstallerLog log(root.file("bench.log"));
        start = benchSeconds();
        installer::findMapApplications(log);
        checks.push_back(benchSeconds() - start);
    }
    deleteTree(registry);

    const double total = median(runs);
    const double check = median(checks);
    std::printf("install run over %d installations (%d rounds, %d boxes answered)\n", kInstallations, rounds, boxes);
    std::printf("  whole run, start to exit:      median %.3f s (min %.3f s, max %.3f s)\n", total,
                *std::min_element(runs.begin(), runs.end()), *std::max_element(runs.begin(), runs.end()));
    std::printf("  running-application check:     median %.3f s = %.0f %% of the run\n", check, 100.0 * check / total);
    std::printf("  goal: whole run under 2 s -> %s\n", total < 2.0 ? "met" : "missed");
    const double silentTotal = median(silentRuns);
    std::printf("  silent run, start to exit:     median %.3f s (min %.3f s, max %.3f s) = %.2fx the interactive run\n",
                silentTotal, *std::min_element(silentRuns.begin(), silentRuns.end()),
                *std::max_element(silentRuns.begin(), silentRuns.end()), silentTotal / total);
    std::printf("  goal: silent no slower than interactive -> %s\n", silentTotal <= total ? "met" : "missed");
    return 0;
}
