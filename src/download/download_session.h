// The FTP connection a download keeps from item to item, shared with the
// page so that a stop can end a call that waits on the server: Abort, from
// any thread, closes the connection under the worker, whose blocked call
// then returns with an error.
#pragma once

#include <windows.h>

#include <mutex>
#include <string>

#include "download/ftp_connection.h"
#include "download/transfer_limits.h"

namespace quibo {

class DownloadSession {
public:
    DownloadSession() = default;
    ~DownloadSession() { Close(); }
    DownloadSession(const DownloadSession&) = delete;
    DownloadSession& operator=(const DownloadSession&) = delete;

    // Worker thread. Connects (or keeps the connection to the same server);
    // false after Abort.
    bool Connect(const std::string& server, const std::string& user, const std::string& password, int port,
                 const FtpLimits& limits);
    // Worker thread: the connection for transfers and listings.
    FtpConnection& Ftp() { return ftp_; }
    // Worker thread: closes what is open (the end of a download).
    void Close();

    // Any thread: closes the open connection and refuses new ones.
    void Abort();
    bool Aborted();

private:
    std::mutex mutex_;
    bool aborted_ = false;
    bool closedByAbort_ = false;
    HINTERNET published_ = nullptr;  // the connection Abort may close
    FtpConnection ftp_;
};

}  // namespace quibo
