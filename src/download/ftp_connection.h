// The FTP connection a download keeps open from item to item, and the server
// folder it was last left in.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <memory>
#include <string>

#include "download/transfer_limits.h"
#include "win/internet_handle.h"

namespace quibo {

struct FtpLogin {
    std::string server;
    std::string user;      // empty: anonymous
    std::string password;  // never written to the run log
    int port = INTERNET_DEFAULT_FTP_PORT;
};

// A file's path on the server, as the folder to change to and the name in it.
struct FtpPath {
    std::string folder;  // up to and including the last "/"; "/" when there is none
    std::string name;
};
FtpPath SplitFtpPath(const std::string& objectPath);

// An internet session for FTP work, named after the application; null, with
// a line in the run log, when none can be opened. Shared: a login attempt
// that was given up on keeps the session it runs in until it ends.
using FtpSession = std::shared_ptr<UniqueInternetHandle>;
FtpSession OpenFtpSession();

// Logs in through `session` in passive mode, up to five attempts in a row,
// each with 30-second time-outs and given up after limits.attemptMs even
// when the server keeps it waiting; null when every attempt failed.
UniqueInternetHandle OpenFtpConnection(const FtpSession& session, const FtpLogin& login, const FtpLimits& limits);

class FtpConnection {
public:
    // Keeps the open connection when it is to the same server; otherwise
    // closes it and logs in to `server`. Writes the connection's run-log
    // lines, never the password.
    bool ConnectFtp(const std::string& server, const std::string& user, const std::string& password, int port,
                    const FtpLimits& limits = kFtpLimits);
    // Closes the connection and its session (the end of a download).
    void Close();
    // Forgets a connection handle that another thread has closed already
    // (see DownloadSession::Abort), then closes the session.
    void CloseAfterAbort();

    bool IsOpen() const { return connection_.IsValid(); }
    HINTERNET Handle() const { return connection_.Get(); }
    const std::string& Server() const { return server_; }

    // Makes `folder` the server's current folder, unless this connection was
    // put there last; false when the server refuses it.
    bool EnterFolder(const std::string& folder);
    // The current folder changed behind EnterFolder's back (a folder
    // listing): the next EnterFolder asks the server again.
    void ForgetFolder() { folder_.clear(); }

private:
    FtpSession session_;
    UniqueInternetHandle connection_;  // declared last: closed before its session
    std::string server_;
    std::string folder_;  // empty when not known
};

}  // namespace quibo
