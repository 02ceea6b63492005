#pragma once

#include <cstdio>
#include <cstdlib>

// An assertion that stays in optimised fuzzer builds and stops the run with its line.
#define CHECK(cond)                                                                                \
    do {                                                                                           \
        if (!(cond)) {                                                                             \
            std::fprintf(stderr, "check failed at line %d: %s\n", __LINE__, #cond);                \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)
