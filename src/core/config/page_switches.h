// The optional message boxes of a run and their texts, from section "UI" of
// the server configuration. A switch is on when non-zero.
#pragma once

#include <string>

namespace quibo {

struct PageSwitches {
    int noupdateWin = 0;
    std::string noupdateWinMsg = "没有发现新版本！";
    int startWin = 1;
    std::string startWinMsg = "发现新版本，现在升级吗？";
    int closeWin = 1;
    std::string closeWinMsg = "本次升级将会关闭一些相关的进程，请保存好数据后继续！";
    int dlWin = 1;
    std::string dlWinMsg = "下载文件失败，请稍后再试！";
    int endWin1 = 1;
    int endWin2 = 1;
    std::string endWin1Msg = "升级完成！";
    std::string endWin2Msg = "升级失败！";
};

}  // namespace quibo
