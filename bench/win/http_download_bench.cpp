// Downloads one address with the updater's HTTP transfer and prints the report
// line of download_report.h; bench/http_download.sh compares it with curl.
//
// Usage: http_download_bench URL FILE
#include <windows.h>

#include <cstdio>

#include "counting_view.h"
#include "download/http_download.h"
#include "download_report.h"

using namespace quibo;

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s URL FILE\n", argv[0]);
        return 2;
    }
    const char* file = argv[2];
    ::DeleteFileA(file);
    TransferControl control;
    CountingView view;
    PROCESS_MEMORY_COUNTERS before = ProcessMemory();
    LONGLONG start = TransferControl::Now();
    bool ok = HttpDownload(control, view, argv[1], file, 0);
    double seconds = control.ElapsedSeconds(start);
    PrintDownloadReport(ok, FileBytes(file), seconds, view.reports, before, ProcessMemory());
    ::DeleteFileA(file);
    return ok ? 0 : 1;
}
