// What every fuzz target shares: a broken promise ends the run like a crash, so that
// libFuzzer keeps the input that broke it.
#pragma once
#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                                               \
    do {                                                                                    \
        if (!(condition)) {                                                                 \
            std::fprintf(stderr, "promise broken: %s (%s:%d)\n", #condition, __FILE__,      \
                         __LINE__);                                                         \
            std::abort();                                                                   \
        }                                                                                   \
    } while (false)
