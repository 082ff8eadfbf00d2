#pragma once
// What a fuzz target does when a property it checks does not hold: it names the line that
// states the property and aborts, so that libFuzzer keeps the input.

#include <cstdio>
#include <cstdlib>

inline void check(bool condition, const char *file = __builtin_FILE(),
                  int line = __builtin_LINE()) {
    if (!condition) {
        std::fprintf(stderr, "property broken: %s:%d\n", file, line);
        std::abort();
    }
}
