// Start-up of "quovan_plugin_dist.exe --version": the installer as built (with its manifest, which asks
// for administrator rights, the common controls 6 and DPI awareness) against a copy of it without
// resources (made by the build with objcopy), run alternately in the same rounds; their ratio. Beside it, the cost of taking
// the program's folder out of the DLL search, which both copies do first thing in WinMain, timed here on
// its own.
//
// usage: startup_bench [rounds]   (default 30)

#include "bench_clock.h"
#include "message_boxes.h"
#include "process_launcher.h"
#include "system_library.h"
#include "test_support.h"
#include "win32_handles.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// A system callback: stdcall on 32-bit Windows, which a lambda's conversion to a function pointer is not.
BOOL CALLBACK takeFirstLanguage(HMODULE, LPCSTR, LPCSTR, WORD found, LONG_PTR result)
{
    *reinterpret_cast<int*>(result) = found;
    return FALSE;
}

// The language the manifest resource was stored under; -1 when there is none.
int manifestLanguage(const std::string& exe)
{
    strell::unique_hmodule module(LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!module)
        return -1;
    int language = -1;
    EnumResourceLanguagesA(module.get(), RT_MANIFEST, MAKEINTRESOURCEA(1), takeFirstLanguage,
                           reinterpret_cast<LONG_PTR>(&language));
    return language;
}

double secondsToRun(const std::string& exe, HANDLE nul)
{
    testsupport::LaunchOptions options;
    options.output = nul;
    const double start = benchSeconds();
    testsupport::ChildProcess process = testsupport::launch(testsupport::quoteArgument(exe) + " --version", options);
    const bool ended = process.wait(30000);
    const double seconds = benchSeconds() - start;
    if (!ended || process.exitCode() != 0) {
        std::fprintf(stderr, "%s --version did not end with 0\n", exe.c_str());
        std::exit(1);
    }
    return seconds;
}

} // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : benchCount(30, 1);

    testsupport::TempDir root("startup_bench");
    const std::string withManifest = root.file("quovan_plugin_dist.exe");
    const std::string withoutManifest = root.file("without_manifest.exe");
    if (!CopyFileA(testsupport::winPath(INSTALLER_EXE).c_str(), withManifest.c_str(), FALSE) ||
        !CopyFileA(testsupport::winPath(INSTALLER_WITHOUT_RESOURCES_EXE).c_str(), withoutManifest.c_str(), FALSE)) {
        std::fprintf(stderr, "installer not found: %s\n", INSTALLER_EXE);
        return 1;
    }
    if (manifestLanguage(withoutManifest) >= 0 || manifestLanguage(withManifest) < 0) {
        std::fprintf(stderr, "the shipped copy must have a manifest and the other none\n");
        return 1;
    }

    // The programs' output is not part of their start-up.
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    strell::unique_hfile nul(CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                                          OPEN_EXISTING, 0, nullptr));
    secondsToRun(withManifest, nul.get()); // the first start loads the files into the cache
    secondsToRun(withoutManifest, nul.get());
    std::vector<double> with, without;
    for (int round = 0; round < rounds; ++round) {
        with.push_back(secondsToRun(withManifest, nul.get()));
        without.push_back(secondsToRun(withoutManifest, nul.get()));
    }

    const int calls = 10000;
    const double start = benchSeconds();
    for (int i = 0; i < calls; ++i)
        installer::restrictDllSearch();
    const double perCall = (benchSeconds() - start) / calls;

    std::printf("--version start-up, median of %d runs each:\n", rounds);
    std::printf("  without manifest:        %.1f ms\n", median(without) * 1000);
    std::printf("  with manifest (shipped): %.1f ms\n", median(with) * 1000);
    std::printf("  ratio shipped / without: %.3fx (goal: at most 1.1x)\n", median(with) / median(without));
    std::printf("restricting the DLL search (in both): %.2f us per call\n", perCall * 1e6);
    return 0;
}
