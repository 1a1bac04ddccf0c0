#pragma once
// What the fuzz targets share: a failed expectation aborts with a message,
// so libFuzzer keeps the input as a finding.

#include <cstdio>
#include <cstdlib>
#include <string>

namespace varnelo::fuzz {

[[noreturn]] inline void Failed(const char* condition, const char* file, int line, const std::string& detail = {}) {
    std::fprintf(stderr, "%s:%d: expected %s %s\n", file, line, condition, detail.c_str());
    std::abort();
}

}  // namespace varnelo::fuzz

#define FUZZ_EXPECT(condition) ((condition) ? void(0) : ::varnelo::fuzz::Failed(#condition, __FILE__, __LINE__))

// Two texts that must be equal; both are shown when they are not.
#define FUZZ_EXPECT_SAME_TEXT(a, b)                                                                   \
    do {                                                                                             \
        const std::string fuzzA(a), fuzzB(b);                                                        \
        if (fuzzA != fuzzB) {                                                                        \
            ::varnelo::fuzz::Failed(#a " == " #b, __FILE__, __LINE__, "[" + fuzzA + "] vs [" + fuzzB + "]"); \
        }                                                                                            \
    } while (false)
