#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

// What every fuzz target checks beside the sanitizers.

// A broken promise: say which, then abort so libFuzzer keeps the input.
inline void require(bool holds, const char* promise) {
    if (!holds) {
        std::fprintf(stderr, "broken: %s\n", promise);
        std::abort();
    }
}

// A refusal is one line a terminal shows as it is: no control bytes, no line breaks.
inline bool isOnePrintableLine(const std::string& text) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f) {
            return false;
        }
    }
    return true;
}
