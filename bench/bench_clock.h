#pragma once
// The benchmarks' clock: seconds on the performance counter, the median of what was measured; the
// short mode of CI.

#include <windows.h>

#include <algorithm>
#include <vector>

inline double benchSeconds()
{
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / frequency;
}

// The middle value; with an even count, the mean of the two middle ones. 0 for no values.
inline double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// CI runs every benchmark once in a short mode (QUOVAN_BENCH_SHORT=1), with one round and few
// repetitions, so that a broken benchmark fails CI; its figures mean nothing. benchCount(full, brief)
// gives the count for the mode the benchmark runs in.
inline bool benchShort()
{
    char value[2] = {};
    return GetEnvironmentVariableA("QUOVAN_BENCH_SHORT", value, sizeof value) == 1 && value[0] == '1';
}

inline int benchCount(int full, int brief)
{
    return benchShort() ? brief : full;
}
