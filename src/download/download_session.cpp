#include "download/download_session.h"

namespace quibo {

bool DownloadSession::Connect(const std::string& server, const std::string& user, const std::string& password,
                              int port, const FtpLimits& limits)
{
    if (Aborted()) return false;
    if (ftp_.IsOpen() && server == ftp_.Server()) return true;
    Close();
    bool connected = ftp_.ConnectFtp(server, user, password, port, limits);
    std::lock_guard<std::mutex> lock(mutex_);
    if (aborted_) {
        // Opened while the page stopped the download: it is not kept.
        ftp_.Close();
        return false;
    }
    published_ = connected ? ftp_.Handle() : nullptr;
    return connected;
}

void DownloadSession::Close()
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (closedByAbort_)
        ftp_.CloseAfterAbort();
    else
        ftp_.Close();
    closedByAbort_ = false;
    published_ = nullptr;
}

void DownloadSession::Abort()
{
    std::lock_guard<std::mutex> lock(mutex_);
    aborted_ = true;
    if (published_ == nullptr) return;
    ::InternetCloseHandle(published_);
    published_ = nullptr;
    closedByAbort_ = true;
}

bool DownloadSession::Aborted()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return aborted_;
}

}  // namespace quibo
