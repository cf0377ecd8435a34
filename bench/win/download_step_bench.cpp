// The whole download step as the page runs it: the download worker
// (RunDownloads) fetches COUNT file items, BASE/step_0.bin, BASE/step_1.bin
// ..., each from its one address, into a download folder, and shows its
// progress on a page that draws nothing. Prints the report line of
// download_report.h for the whole step (bytes of every file); the download
// folder is removed afterwards. bench/download_step.sh compares it with curl.
//
// Usage: download_step_bench BASE_URL COUNT FOLDER
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "download/download_worker.h"
#include "counting_view.h"
#include "download_report.h"

using namespace quibo;

namespace {

std::string ItemName(int index) { return "step_" + std::to_string(index) + ".bin"; }

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s BASE_URL COUNT FOLDER\n", argv[0]);
        return 2;
    }
    const std::string base = argv[1];
    const int count = std::atoi(argv[2]);
    std::string folder = argv[3];
    if (folder.back() != '\\') folder += '\\';
    if (count < 1 || count > kFileItemCount) return 2;

    UpdateConfig config;
    for (int i = 0; i < count; ++i) {
        UpdateItem& item = config.files[static_cast<size_t>(i)];
        item.isNew = true;
        item.name = ItemName(i);
        item.addresses.push_back({base + "/" + item.name, "", ""});
    }
    DownloadJob job;
    job.config = &config;
    job.downloadFolder = folder;

    TransferControl control;
    CountingDownloadView view;
    DownloadRecords records;
    PROCESS_MEMORY_COUNTERS before = ProcessMemory();
    LONGLONG start = TransferControl::Now();
    bool ok = RunDownloads(job, control, view, records) == DownloadEnd::Done;
    double seconds = control.ElapsedSeconds(start);
    PROCESS_MEMORY_COUNTERS after = ProcessMemory();

    // The report counts the bytes of one file; the step's are the sum.
    double bytes = 0;
    for (int i = 0; i < count; ++i) {
        std::string path = folder + "file" + std::to_string(i) + "\\" + ItemName(i);
        bytes += FileBytes(path.c_str());
        ::DeleteFileA(path.c_str());
        ::RemoveDirectoryA((folder + "file" + std::to_string(i)).c_str());
    }
    ::RemoveDirectoryA(folder.c_str());
    PrintDownloadReport(ok, bytes, seconds, view.reports, before, after);
    return ok ? 0 : 1;
}
