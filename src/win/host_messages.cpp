#include "win/host_messages.h"

#include "core/log/run_log.h"

namespace quibo {

namespace {

const char* HostCodeLogLine(HostCode code)
{
    switch (code) {
    case HostCode::NoNetwork: return "发“无网络，退出升级程序”消息(-5)通知宿主程序。";
    case HostCode::LeftAfterDownload: return "发“下载完成后强制退出”消息(-4)通知宿主程序。";
    case HostCode::DownloadFailed: return "发“下载失败退出，或是强制退出下载过程。”消息(-3)通知宿主程序。";
    case HostCode::LeftBeforeDownload: return "发“下载前强制退出”消息(-2)通知宿主程序。";
    case HostCode::ConfigError: return "发“配置文件解析错误，退出升级程序”消息(-1)通知宿主程序。";
    case HostCode::Updated: return "发“升级成功”消息(1)通知宿主程序。";
    case HostCode::NothingNew: return "发“未发现新版本”消息(2)通知宿主程序。";
    case HostCode::NewVersion: return "发“发现新版本”消息(3)通知宿主程序。";
    case HostCode::Exiting: return "发“退出升级程序”消息(4)通知宿主程序。";
    }
    return "";
}

}  // namespace

void HostNotify(HWND host, HostCode code)
{
    if (!host) return;
    // "Nothing new" is logged before it is posted; every other code after.
    if (code == HostCode::NothingNew) WriteLog(HostCodeLogLine(code));
    ::PostMessageA(host, kHostResultMessage, static_cast<WPARAM>(static_cast<int>(code)), 0);
    if (code != HostCode::NothingNew) WriteLog(HostCodeLogLine(code));
}

}  // namespace quibo
