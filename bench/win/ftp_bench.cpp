// Downloads one file with the updater's FTP transfer and prints the report
// line of download_report.h; bench/ftp.sh compares it with curl.
//
// Usage: ftp_bench SERVER PORT USER PASSWORD REMOTE_PATH FILE
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "counting_view.h"
#include "download/ftp_download.h"
#include "download_report.h"

using namespace quibo;

int main(int argc, char** argv)
{
    if (argc != 7) {
        std::fprintf(stderr, "usage: %s SERVER PORT USER PASSWORD REMOTE_PATH FILE\n", argv[0]);
        return 2;
    }
    const char* file = argv[6];
    ::DeleteFileA(file);
    FtpConnection ftp;
    if (!ftp.ConnectFtp(argv[1], argv[3], argv[4], std::atoi(argv[2]))) {
        std::printf("ok 0 cannot connect\n");
        return 1;
    }
    TransferControl control;
    CountingView view;
    PROCESS_MEMORY_COUNTERS before = ProcessMemory();
    LONGLONG start = TransferControl::Now();
    bool ok = FtpDownloadFile(ftp, control, view, argv[5], file, 0, 0);
    double seconds = control.ElapsedSeconds(start);
    PrintDownloadReport(ok, FileBytes(file), seconds, view.reports, before, ProcessMemory());
    return ok ? 0 : 1;
}
