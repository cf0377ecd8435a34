#include "core/startup/run_guard.h"

#include <exception>
#include <string>

#include "core/log/run_log.h"

namespace quibo {

namespace {

void LogFailure(const char* what)
{
    try {
        WriteLog(std::string("错误：升级程序运行出错（") + what + "），中止升级！");
    } catch (...) {
        // Out of memory even for one line: the end sequence still follows.
    }
}

}  // namespace

bool RunCaught(const std::function<void()>& step)
{
    try {
        step();
        return true;
    } catch (const std::exception& e) {
        LogFailure(e.what());
    } catch (...) {
        LogFailure("unknown");
    }
    return false;
}

}  // namespace quibo
