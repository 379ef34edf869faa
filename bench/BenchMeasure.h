#pragma once

// What the benchmarks measure besides wall time.

#include <sys/resource.h>

#include <chrono>
#include <ctime>

// The process's peak resident set size so far, in KiB.
inline long PeakRssKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// User plus system CPU time of the process; on a shared machine it shows what the wall time would be alone.
inline double CpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

inline double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}
