#pragma once
// The process's resident memory as Linux reports it, for benchmarks that
// watch memory.

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace varnelo::bench {

// A line of /proc/self/status in KiB ("VmRSS", "VmHWM"), or -1.
inline long StatusKiB(const char* name) {
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (!status) return -1;
    char line[256];
    long value = -1;
    const std::size_t length = std::strlen(name);
    while (std::fgets(line, sizeof line, status))
        if (std::strncmp(line, name, length) == 0 && line[length] == ':') value = std::atol(line + length + 1);
    std::fclose(status);
    return value;
}

// Sets the peak resident size back to the current one.
inline void ResetPeakResident() {
    if (std::FILE* refs = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", refs);
        std::fclose(refs);
    }
}

}  // namespace varnelo::bench
