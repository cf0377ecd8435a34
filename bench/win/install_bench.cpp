// Installs every file of a download folder over a product folder whose files
// all exist already, the way the update worker does: a backup of each old
// file, the new file copied into place, then the backups deleted. Prints the
// time, the bytes installed, the throughput and the process's peak working
// set; bench/install.sh compares it with cp -a of the same tree.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "install/install_transaction.h"
#include "install/install_view.h"

using namespace quibo;

namespace {

class SilentView : public InstallView {
public:
    void SetStatus(const std::string&) override {}
    void SetTrayStage(const std::string&) override {}
    void SetProgressRange(int) override {}
    void SetProgress(int) override {}
    void ShowInfo(const std::string&) override {}
    bool AskRetry(const std::string&) override { return false; }
};

// Relative names of the files below `root` (ending in "\"), with their sizes.
void List(const std::string& root, const std::string& prefix, std::vector<std::string>& names, double& bytes)
{
    WIN32_FIND_DATAA found;
    HANDLE find = ::FindFirstFileA((root + prefix + "*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            List(root, prefix + name + "\\", names, bytes);
        } else {
            names.push_back(prefix + name);
            bytes += static_cast<double>(found.nFileSizeLow) + found.nFileSizeHigh * 4294967296.0;
        }
    } while (::FindNextFileA(find, &found));
    ::FindClose(find);
}

double Now()
{
    LARGE_INTEGER frequency, now;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / frequency.QuadPart;
}

double Mib(SIZE_T bytes) { return static_cast<double>(bytes) / 1048576; }

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s DOWNLOADS\\ PRODUCT\\ JOURNAL\n", argv[0]);
        return 2;
    }
    const std::string downloads = argv[1], product = argv[2];
    std::vector<std::string> names;
    double bytes = 0;
    List(downloads, "", names, bytes);

    SilentView view;
    LARGE_INTEGER frequency, start, end;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&start);
    InstallTransaction tx(argv[3], view);
    bool ok = tx.Begin();
    int backups = 0;
    double backupSeconds = 0, copySeconds = 0;
    for (const std::string& name : names) {
        if (!ok) break;
        const double t0 = Now();
        InstallTransaction::BackupResult backup = tx.Backup(product + name);
        const double t1 = Now();
        backups += backup == InstallTransaction::BackupResult::Made;
        ok = backup != InstallTransaction::BackupResult::Failed && backup != InstallTransaction::BackupResult::Locked &&
             tx.CopyIn(downloads + name, product + name);
        backupSeconds += t1 - t0;
        copySeconds += Now() - t1;
    }
    if (ok && tx.MarkPlaced()) {
        tx.DeleteBackups();
    } else {
        tx.RollBack();
    }
    tx.End();
    ::QueryPerformanceCounter(&end);
    const double seconds = static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart;

    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
    std::printf(
        "ok %d files %zu backups %d bytes %.0f seconds %.3f MB/s %.1f backup_seconds %.3f copy_seconds %.3f "
        "ws_peak_mib %.1f\n",
        ok ? 1 : 0, names.size(), backups, bytes, seconds, bytes / 1e6 / seconds, backupSeconds, copySeconds,
        Mib(counters.PeakWorkingSetSize));
    return ok ? 0 : 1;
}
