#pragma once
// A broken property of a fuzz target: reported with the failed condition, then abort() so that libFuzzer
// keeps the input as a finding.

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                                                                  \
    do {                                                                                                        \
        if (!(condition)) {                                                                                     \
            std::fprintf(stderr, "property broken: %s (%s:%d)\n", #condition, __FILE__, __LINE__);              \
            std::abort();                                                                                       \
        }                                                                                                       \
    } while (0)
