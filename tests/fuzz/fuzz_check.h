#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// The entry libFuzzer calls with each input; the corpus replay calls it too.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

// A property every input must keep; breaking it is a finding, like a crash.
#define FUZZ_CHECK(condition)                                                            \
    do {                                                                                 \
        if (!(condition)) {                                                              \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                \
        }                                                                                \
    } while (false)
