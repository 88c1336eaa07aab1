// SPDX-License-Identifier: MIT
// Figures of this process for the benchmarks and the memory rows of the
// tests: the monotonic clock and peak resident memory. Plain C++ and the C
// library, so that benchmark programs without Qt, and a probe that must not
// disturb what it measures, can use them.
#pragma once

#include <cstdio>
#include <ctime>

namespace zantest {

// CLOCK_MONOTONIC in nanoseconds: comparable between processes of one boot.
inline long long monotonicNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (long long)now.tv_sec * 1000000000LL + now.tv_nsec;
}

// This process's peak resident memory so far (VmHWM), in KiB; 0 when the
// kernel does not say. A parent's rusage would also count what the parent
// held when it started the child.
inline long peakResidentKiB()
{
    long peakKiB = 0;
    if (FILE *status = std::fopen("/proc/self/status", "re")) {
        char line[256];
        while (std::fgets(line, sizeof line, status))
            if (std::sscanf(line, "VmHWM: %ld kB", &peakKiB) == 1)
                break;
        std::fclose(status);
    }
    return peakKiB;
}

} // namespace zantest
