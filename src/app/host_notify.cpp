#include "app/host_notify.h"

#include "core/log/run_log.h"

namespace {

const char* HostCodeLogLine(int code)
{
    switch (code) {
    case kHostNoNetwork: return "发“无网络，退出升级程序”消息(-5)通知宿主程序。";
    case kHostLeftAfterDownload: return "发“下载完成后强制退出”消息(-4)通知宿主程序。";
    case kHostDownloadFailed: return "发“下载失败退出，或是强制退出下载过程。”消息(-3)通知宿主程序。";
    case kHostLeftBeforeDownload: return "发“下载前强制退出”消息(-2)通知宿主程序。";
    case kHostConfigError: return "发“配置文件解析错误，退出升级程序”消息(-1)通知宿主程序。";
    case kHostUpdated: return "发“升级成功”消息(1)通知宿主程序。";
    case kHostNothingNew: return "发“未发现新版本”消息(2)通知宿主程序。";
    case kHostNewVersion: return "发“发现新版本”消息(3)通知宿主程序。";
    case kHostExiting: return "发“退出升级程序”消息(4)通知宿主程序。";
    default: return "";
    }
}

}  // namespace

void HostNotify(HWND host, int code)
{
    if (!host) return;
    // "Nothing new" is logged before it is posted; every other code after.
    if (code == kHostNothingNew) WriteLog(HostCodeLogLine(code));
    ::PostMessageA(host, kHostResultMessage, static_cast<WPARAM>(code), 0);
    if (code != kHostNothingNew) WriteLog(HostCodeLogLine(code));
}
