// Cost of reading one value from a 1000-line INI file: Inifile::GetString without the cache, the same
// call answered by the cached manager, and Windows' GetPrivateProfileStringA on the same file.
// Prints microseconds per read and the ratios against GetPrivateProfileStringA.
//
// Goal: the cached manager at least 2x faster than GetPrivateProfileStringA; the uncached read no
// slower than 3x of it.

#include "bench_clock.h"
#include "Inifile.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>

namespace {

const int kSections = 50;
const int kKeysPerSection = 19; // with the headers: 1000 lines
const double kMinimumSeconds = 0.5;
const int kRounds = benchCount(3, 1);

std::string writeBenchFile()
{
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    const std::string path = std::string(folder) + "strell_ini_bench.ini";
    std::FILE* file = std::fopen(path.c_str(), "w");
    for (int s = 0; s < kSections; ++s) {
        std::fprintf(file, "[Section%d]\n", s);
        for (int k = 0; k < kKeysPerSection; ++k)
            std::fprintf(file, "Key%d = value of key %d in section %d\n", k, k, s);
    }
    std::fclose(file);
    return path;
}

// Best time per call over a few rounds, each running at least kMinimumSeconds.
double microsecondsPerRead(const std::function<bool()>& read)
{
    double best = 1e30;
    for (int round = 0; round < kRounds; ++round) {
        long count = 0;
        const double start = benchSeconds();
        double elapsed = 0;
        do {
            for (int i = 0; i < 50; ++i)
                if (!read()) {
                    std::fprintf(stderr, "read failed\n");
                    return -1;
                }
            count += 50;
            elapsed = benchSeconds() - start;
        } while (elapsed < kMinimumSeconds);
        best = std::min(best, elapsed * 1e6 / static_cast<double>(count));
    }
    return best;
}

} // namespace

int main()
{
    const std::string file = writeBenchFile();
    // The last key of the last section: the whole file is scanned.
    const std::string section = "section" + std::to_string(kSections - 1);
    const std::string key = "key" + std::to_string(kKeysPerSection - 1);
    const std::string expected = " value of key " + std::to_string(kKeysPerSection - 1) + " in section " +
                                 std::to_string(kSections - 1);

    const double windows = microsecondsPerRead([&] {
        char buffer[256];
        GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer, sizeof buffer, file.c_str());
        return std::string(buffer) == "value of key 18 in section 49";
    });
    const double uncached = microsecondsPerRead([&] {
        std::string value;
        return Inifile::GetString(file, section, key, value) == Inifile::RC_SUCCESS && value == expected;
    });
    Inifile::CacheFile(file);
    const double cached = microsecondsPerRead([&] {
        std::string value;
        return Inifile::GetString(file, section, key, value) == Inifile::RC_SUCCESS && value == expected;
    });
    Inifile::UncacheFile(file);
    DeleteFileA(file.c_str());

    std::printf("reading one value from a %d-line INI file (last key of the last section)\n",
                kSections * (kKeysPerSection + 1));
    std::printf("  GetPrivateProfileStringA     %9.2f us/read\n", windows);
    std::printf("  Inifile::GetString uncached  %9.2f us/read   %7.4fx of GetPrivateProfileStringA (goal <= 3x)\n",
                uncached, uncached / windows);
    std::printf("  Inifile::GetString cached    %9.2f us/read   %7.4fx of GetPrivateProfileStringA (goal <= 0.5x)\n",
                cached, cached / windows);
    return 0;
}
