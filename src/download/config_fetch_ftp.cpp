#include <string>

#include "core/config/url_parse.h"
#include "core/log/run_log.h"
#include "core/text/code_page.h"
#include "download/config_fetch.h"
#include "download/ftp_connection.h"
#include "download/ftp_read.h"

namespace quibo {

std::string FetchConfigFtp(const std::string& url, const std::string& user, const std::string& password,
                           const FtpLimits& limits)
{
    ParsedUrl parsed = ParseUrl(url);

    FtpSession session = OpenFtpSession();
    if (!session) return {};
    WriteLog("连接FTP服务器");
    UniqueInternetHandle connection;
    if (!parsed.server.empty())
        connection =
            OpenFtpConnection(session, FtpLogin{parsed.server, user, password, parsed.port}, limits);
    if (!connection) {
        WriteLog("连接FTP服务器失败，可能是网络问题，也可能是用户名（口令）设置不对。");
        return {};
    }

    FtpPath path = SplitFtpPath(ReplaceAll(parsed.object, "%20", " "));
    WriteLog("设置当前目录为：" + path.folder);
    if (!::FtpSetCurrentDirectoryA(connection.Get(), path.folder.c_str())) return {};
    WriteLog("打开文件：" + path.name);
    UniqueInternetHandle file = OpenFtpFile(connection.Get(), path.name);
    if (!file) return {};

    WriteLog("开始下载");
    std::string package;
    bool tooLarge = false;
    bool ended = ReadFtpFile(file.Get(), [&](const char* data, DWORD size) {
        tooLarge = size > kMaxConfigPackage - package.size();
        if (!tooLarge) package.append(data, size);
        return !tooLarge;
    });
    if (tooLarge) WriteLog("错误：服务器配置包太大：超过" + std::to_string(kMaxConfigPackage) + "字节");
    if (!ended) return {};
    return package;
}

}  // namespace quibo
