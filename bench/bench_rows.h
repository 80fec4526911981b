#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

// The median time of runs of work, in milliseconds.
inline double MedianMs(int runs, const std::function<void()>& work) {
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        const auto started = std::chrono::steady_clock::now();
        work();
        ms.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started)
                .count());
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

// One row of make bench's table; a peer of 0 is none.
inline void PrintRow(const char* what, double ours, double peer, const char* note = "") {
    if (peer > 0) {
        std::printf("%-34s %10.3f ms %9.3f ms %7.2fx   %s\n", what, ours, peer, ours / peer, note);
    } else {
        std::printf("%-34s %10.3f ms %12s %8s   %s\n", what, ours, "-", "-", note);
    }
}

// A row in megabytes; a peer of 0 is none.
inline void PrintMbRow(const char* what, double ours, double peer, const char* note = "") {
    if (peer > 0) {
        std::printf("%-34s %10.1f MB %9.1f MB %7.2fx   %s\n", what, ours, peer, ours / peer, note);
    } else {
        std::printf("%-34s %10.1f MB %12s %8s   %s\n", what, ours, "-", "-", note);
    }
}
