//===- FuzzCheck.h - Property checks that stop a fuzz run ---------*- C++ -*-===//
//
// A failed property prints what failed and where, then aborts, so libFuzzer
// saves the input as a crash. Unlike assert() it stays on in every build.
//
//===----------------------------------------------------------------------===//
#pragma once

#include <cstdio>
#include <cstdlib>

#define FUZZ_FAIL(what)                                                                            \
    do {                                                                                           \
        std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, what);            \
        std::abort();                                                                              \
    } while (false)

#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition))                                                                          \
            FUZZ_FAIL(#condition);                                                                 \
    } while (false)
