// Downloads one address with the updater's HTTP transfer and prints the time,
// the bytes, the throughput, how often progress was shown, and the process's
// memory before and at its peak; bench/http_download.sh compares it with curl.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <string>

#include "counting_view.h"
#include "download/http_download.h"

using namespace quibo;

namespace {

PROCESS_MEMORY_COUNTERS Memory()
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
    return counters;
}

double Mib(SIZE_T bytes) { return static_cast<double>(bytes) / 1048576; }

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s URL FILE\n", argv[0]);
        return 2;
    }
    ::DeleteFileA(argv[2]);
    TransferControl control;
    CountingView view;
    PROCESS_MEMORY_COUNTERS before = Memory();
    LONGLONG start = TransferControl::Now();
    bool ok = HttpDownload(control, view, argv[1], argv[2], 0);
    double seconds = control.ElapsedSeconds(start);
    PROCESS_MEMORY_COUNTERS after = Memory();

    WIN32_FILE_ATTRIBUTE_DATA data{};
    ::GetFileAttributesExA(argv[2], GetFileExInfoStandard, &data);
    double bytes =
        static_cast<double>(data.nFileSizeLow) + static_cast<double>(data.nFileSizeHigh) * 4294967296.0;
    std::printf(
        "ok %d bytes %.0f seconds %.3f MB/s %.1f reports %ld ws_before_mib %.1f ws_peak_mib %.1f "
        "private_before_mib %.1f private_peak_mib %.1f\n",
        ok ? 1 : 0, bytes, seconds, bytes / 1e6 / seconds, view.reports, Mib(before.WorkingSetSize),
        Mib(after.PeakWorkingSetSize), Mib(before.PagefileUsage), Mib(after.PeakPagefileUsage));
    ::DeleteFileA(argv[2]);
    return ok ? 0 : 1;
}
