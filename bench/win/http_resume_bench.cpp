// Downloads one address with the updater's HTTP transfer, either afresh or
// going on from the bytes already in FILE, and prints the report line of
// download_report.h followed by "kept N" (the bytes taken from FILE);
// bench/resume.sh compares the two.
//
// Usage: http_resume_bench fresh|resume URL FILE
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "counting_view.h"
#include "download/http_download.h"
#include "download_report.h"

using namespace quibo;

int main(int argc, char** argv)
{
    const bool resume = argc == 4 && std::strcmp(argv[1], "resume") == 0;
    if (argc != 4 || (!resume && std::strcmp(argv[1], "fresh") != 0)) {
        std::fprintf(stderr, "usage: %s fresh|resume URL FILE\n", argv[0]);
        return 2;
    }
    const char* file = argv[3];
    if (!resume) ::DeleteFileA(file);
    TransferControl control;
    CountingView view;
    std::uint64_t kept = 0;
    PROCESS_MEMORY_COUNTERS before = ProcessMemory();
    LONGLONG start = TransferControl::Now();
    bool ok = resume ? ResumeHttpDownload(control, view, argv[2], file, 0, kHttpLimits, kept)
                     : HttpDownload(control, view, argv[2], file, 0);
    double seconds = control.ElapsedSeconds(start);
    PrintDownloadReport(ok, FileBytes(file), seconds, view.reports, before, ProcessMemory());
    std::printf("kept %llu\n", static_cast<unsigned long long>(kept));
    return ok ? 0 : 1;
}
