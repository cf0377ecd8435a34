// Where the updater's HTTP transfer spends its time, phase by phase: a status
// check on a request of its own (closed with the body unread), the request
// of the download (connection, handshake, headers), and its body read
// to nowhere, to the file, and to the file with progress shown, each on a
// request of its own. bench/http_download.sh sets these beside the plain
// WinINet loop (wininet_loop_bench) and curl.
//
// Usage: http_phases_bench URL FILE
#include <windows.h>

#include <cstdio>
#include <string>

#include "counting_view.h"
#include "download/http_body.h"
#include "download/http_session.h"
#include "download/http_status.h"
#include "download/open_file_registry.h"
#include "download/target_file.h"
#include "download/transfer_meter.h"

using namespace quibo;

namespace {

enum class Sink { Nowhere, File, FileAndProgress };

struct BodyTimes {
    bool ok = false;
    double requestMs = 0;
    double bodyMs = 0;
};

BodyTimes ReadBody(const std::string& url, const std::string& path, Sink to)
{
    TransferControl control;
    CountingView view;
    BodyTimes times;
    LONGLONG start = TransferControl::Now();
    HttpRequest http(kHttpLimits);
    if (!http.Open(url)) return times;
    DWORD length = http.ContentLength();
    LONGLONG answered = TransferControl::Now();
    times.requestMs = control.ElapsedSeconds(start) * 1000;

    ::DeleteFileA(path.c_str());
    TargetFile file(control.Files(), path);
    TransferMeter meter(control, view, length, 0, SpeedUnit::KiloBytes);
    times.ok = ReadHttpBody(http, length, [&](const char* data, DWORD size) {
        if (to == Sink::Nowhere) return true;
        if (!file.Write(data, size)) return false;
        if (to == Sink::FileAndProgress) meter.Add(size);
        return true;
    });
    http.Close();
    file.Close();
    times.bodyMs = control.ElapsedSeconds(answered) * 1000;
    ::DeleteFileA(path.c_str());
    return times;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s URL FILE\n", argv[0]);
        return 2;
    }
    TransferControl control;
    LONGLONG start = TransferControl::Now();
    std::string message;
    bool checked = CheckHttpUrl(argv[1], message);
    double checkMs = control.ElapsedSeconds(start) * 1000;

    BodyTimes nowhere = ReadBody(argv[1], argv[2], Sink::Nowhere);
    BodyTimes file = ReadBody(argv[1], argv[2], Sink::File);
    BodyTimes shown = ReadBody(argv[1], argv[2], Sink::FileAndProgress);
    bool ok = checked && nowhere.ok && file.ok && shown.ok;
    std::printf("ok %d check_ms %.2f request_ms %.2f body_nowhere_ms %.2f body_file_ms %.2f body_shown_ms %.2f\n",
                ok ? 1 : 0, checkMs, nowhere.requestMs, nowhere.bodyMs, file.bodyMs, shown.bodyMs);
    return ok ? 0 : 1;
}
