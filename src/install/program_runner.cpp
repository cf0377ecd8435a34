#include "install/program_runner.h"

#include <windows.h>
#include <shellapi.h>

#include "core/startup/program_command.h"
#include "win/message_wait.h"
#include "win/scoped_handle.h"

namespace quibo {

namespace {

const char kFinished[] = "执行完毕！";

}  // namespace

std::string RunResultText(unsigned long errorCode)
{
    switch (errorCode) {
    case ERROR_FILE_NOT_FOUND: return "指定文件不存在";
    case ERROR_PATH_NOT_FOUND: return "指定路径不存在";
    case ERROR_ACCESS_DENIED: return "访问指定文件被拒绝";
    case ERROR_NOT_ENOUGH_MEMORY: return "没有足够的内存来执行操作";
    case ERROR_SHARING_VIOLATION: return "共享违规发生了";
    case ERROR_NO_ASSOCIATION: return "没有与制定文件名扩展对应的应用程序";
    case ERROR_DDE_FAIL: return "动态数据交换 (DDE) 处理失败";
    case ERROR_DLL_NOT_FOUND: return "无法找到运行应用程序所必须的库文件";
    case ERROR_CANCELLED: return "这个函数要求用户提供更多其他信息（比如弹出对话框），但请求用户被取消了";
    default: return kFinished;
    }
}

std::string RunProgram(const std::string& commandLine, int wait)
{
    ProgramCommand plan = PlanProgramCommand(commandLine);

    if (!plan.unregisterParameters.empty()) {
        // Silent unregistration first; its outcome does not matter.
        ::ShellExecuteA(nullptr, "open", plan.file.c_str(), plan.unregisterParameters.c_str(), nullptr,
                        SW_HIDE);
    }

    SHELLEXECUTEINFOA info = {sizeof info};
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = "open";
    info.lpFile = plan.file.c_str();
    info.lpParameters = plan.parameters.c_str();
    info.lpDirectory = plan.folder.empty() ? nullptr : plan.folder.c_str();
    info.nShow = plan.hidden ? SW_HIDE : SW_SHOWNORMAL;
    BOOL started = ::ShellExecuteExA(&info);
    DWORD error = ::GetLastError();
    UniqueHandle process(info.hProcess);

    if (process && wait) {
        // A started installer may broadcast a message (a changed setting) and
        // wait until every top-level window has answered, the wizard's and the
        // tray's among them: the waiting thread keeps answering its windows.
        WaitPumpingMessages(process.Get());
        return kFinished;
    }
    if (started && reinterpret_cast<INT_PTR>(info.hInstApp) > 32) return kFinished;
    return RunResultText(error);
}

}  // namespace quibo
