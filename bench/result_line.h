// The result line every native benchmark prints: throughput and peak memory.
#pragma once

#include <cstdio>
#if defined(__unix__)
#include <sys/resource.h>
#endif

inline void PrintThroughput(unsigned long long bytes, double seconds)
{
    std::printf(" bytes %llu seconds %.3f MB/s %.1f", bytes, seconds, bytes / 1e6 / seconds);
#if defined(__unix__)
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf(" peak_rss_kib %ld", usage.ru_maxrss);
#endif
    std::printf("\n");
}
