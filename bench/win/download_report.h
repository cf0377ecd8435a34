// The result line of the download benchmarks, which their scripts read: the
// time, the bytes, the throughput, how often progress was shown, and the
// process's memory before the download and at its peak.
#pragma once

#include <windows.h>
#include <psapi.h>

#include <cstdio>

inline PROCESS_MEMORY_COUNTERS ProcessMemory()
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
    return counters;
}

// The file's length; 0 when it is missing.
inline double FileBytes(const char* file)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExA(file, GetFileExInfoStandard, &data)) return 0;
    return static_cast<double>(data.nFileSizeLow) + static_cast<double>(data.nFileSizeHigh) * 4294967296.0;
}

inline void PrintDownloadReport(bool ok, double bytes, double seconds, long reports,
                                const PROCESS_MEMORY_COUNTERS& before, const PROCESS_MEMORY_COUNTERS& after)
{
    auto mib = [](SIZE_T size) { return static_cast<double>(size) / 1048576; };
    std::printf(
        "ok %d bytes %.0f seconds %.3f MB/s %.1f reports %ld ws_before_mib %.1f ws_peak_mib %.1f "
        "private_before_mib %.1f private_peak_mib %.1f\n",
        ok ? 1 : 0, bytes, seconds, bytes / 1e6 / seconds, reports, mib(before.WorkingSetSize),
        mib(after.PeakWorkingSetSize), mib(before.PagefileUsage), mib(after.PeakPagefileUsage));
}
