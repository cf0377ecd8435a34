#include "download/ftp_connection.h"

#include <cassert>
#include <cstdio>
#include <memory>

#include "core/log/run_log.h"
#include "core/text/code_page.h"
#include "win/module_info.h"
#include "download/blocking_caller.h"

namespace quibo {

namespace {

constexpr int kConnectAttempts = 5;

const char* OrNull(const std::string& text) { return text.empty() ? nullptr : text.c_str(); }

void SetTimeouts(HINTERNET session, DWORD timeout)
{
    for (DWORD option :
         {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT})
        ::InternetSetOptionA(session, option, &timeout, sizeof timeout);
}

}  // namespace

FtpPath SplitFtpPath(const std::string& objectPath)
{
    size_t slash = FindLastChar(objectPath, '/');
    if (slash == std::string::npos) return {"/", objectPath};
    return {objectPath.substr(0, slash + 1), objectPath.substr(slash + 1)};
}

FtpSession OpenFtpSession()
{
    std::string agent = AppTitle();
    if (agent.empty()) agent = "AppUnknown";
    auto session = std::make_shared<UniqueInternetHandle>(
        ::InternetOpenA(agent.c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (*session) return session;
    WriteLog("Cannot open an Internet Session. Please check your internet configuration.");
    return nullptr;
}

UniqueInternetHandle OpenFtpConnection(const FtpSession& session, const FtpLogin& login, const FtpLimits& limits)
{
    assert(session && *session);
    for (int attempt = 0; attempt < kConnectAttempts; ++attempt) {
        SetTimeouts(session->Get(), limits.attemptMs);
        // Wine's FTP keeps to its own minute whatever the time-outs say, so
        // the attempt runs on a thread of its own that can be left behind;
        // a connection it opens too late is closed there, and the session
        // it runs in stays open until then.
        auto connection = std::make_shared<UniqueInternetHandle>();
        BlockingCaller caller;
        bool inTime = caller.Run(
            [connection, session, login] {
                connection->Reset(::InternetConnectA(
                    session->Get(), login.server.c_str(), static_cast<INTERNET_PORT>(login.port), OrNull(login.user),
                    OrNull(login.password), INTERNET_SERVICE_FTP, INTERNET_FLAG_PASSIVE, 1));
            },
            limits.attemptMs);
        if (inTime && *connection) return std::move(*connection);
    }
    return UniqueInternetHandle();
}

bool FtpConnection::ConnectFtp(const std::string& server, const std::string& user,
                               const std::string& password, int port, const FtpLimits& limits)
{
    if (server.empty()) {
        WriteLog("错误：FTP服务器名称不能为空！");
        return false;
    }
    if (IsOpen() && server == server_) return true;
    Close();

    session_ = OpenFtpSession();
    if (!session_) return false;
    WriteLog("FTP服务器：" + server);
    WriteLog("用户名：" + user);
    WriteLog("口令：不显示");
    char portLine[32];
    std::snprintf(portLine, sizeof portLine, "端口：%ld", static_cast<long>(port));
    WriteLog(portLine);

    connection_ = OpenFtpConnection(session_, FtpLogin{server, user, password, port}, limits);
    if (!connection_) {
        WriteLog("FTP服务器" + server + "连接失败");
        session_.reset();
        return false;
    }
    WriteLog("FTP服务器" + server + "连接成功");
    server_ = server;
    return true;
}

void FtpConnection::Close()
{
    connection_.Reset();
    session_.reset();
    server_.clear();
    folder_.clear();  // a new connection starts in its login folder
}

void FtpConnection::CloseAfterAbort()
{
    connection_.Release();
    Close();
}

bool FtpConnection::EnterFolder(const std::string& folder)
{
    if (!folder_.empty() && folder == folder_) return true;
    folder_.clear();
    if (!::FtpSetCurrentDirectoryA(connection_.Get(), folder.c_str())) return false;
    folder_ = folder;
    return true;
}

}  // namespace quibo
