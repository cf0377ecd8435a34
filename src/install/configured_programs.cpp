#include "install/configured_programs.h"

#include <cassert>
#include <iterator>

#include "core/log/run_log.h"
#include "install/program_runner.h"

namespace quibo {

namespace {

const ConfiguredProgramRow kRows[] = {
    {ConfiguredProgram::Before, "run_before", &SystemHooks::runBefore, &SystemHooks::runBeforePause,
     "启动升级前执行程序：", "启动升级前执行程序（没指定）。"},
    {ConfiguredProgram::After, "run_after", &SystemHooks::runAfter, &SystemHooks::runAfterPause,
     "退出升级程序前执行：", "退出升级程序前执行（没指定）。"},
    {ConfiguredProgram::NoNetwork, "run_nonetwork", &SystemHooks::runNonetwork, nullptr, "无网络时执行程序：",
     "无网络时执行程序（没指定）。"},
    {ConfiguredProgram::DownloadBefore, "run_dlbefore", &SystemHooks::runDlbefore, nullptr, "下载前执行程序：",
     "下载前执行程序（没指定）。"},
    {ConfiguredProgram::DownloadSucceeded, "run_dlafters", &SystemHooks::runDlafters, nullptr,
     "下载完成后执行指定程序：", "下载完成后执行指定程序（没指定）。"},
    {ConfiguredProgram::DownloadFailed, "run_dlafterf", &SystemHooks::runDlafterf, nullptr,
     "下载完成后执行指定程序：", "下载完成后执行指定程序（没指定）。"},
    {ConfiguredProgram::UpdateBefore, "run_udbefore", &SystemHooks::runUdbefore, nullptr, "更新前执行程序：",
     "更新前执行程序（没指定）。"},
    {ConfiguredProgram::UpdateSucceeded, "run_udafters", &SystemHooks::runUdafters, nullptr,
     "更新完成后执行指定程序：", "更新完成后执行指定程序（没指定）。"},
    {ConfiguredProgram::UpdateFailed, "run_udafterf", &SystemHooks::runUdafterf, nullptr,
     "更新完成后执行指定程序：", "更新完成后执行指定程序（没指定）。"},
};

void Announce(const ProgramAnnouncer& announce, const std::string& line)
{
    if (announce)
        announce(line);
    else
        WriteLog(line);
}

}  // namespace

const ConfiguredProgramRow& ConfiguredProgramOf(ConfiguredProgram which)
{
    const ConfiguredProgramRow& row = kRows[static_cast<size_t>(which)];
    assert(row.which == which && static_cast<size_t>(which) < std::size(kRows));
    return row;
}

void RunConfiguredProgram(ConfiguredProgram which, const SystemHooks& hooks, const ProgramAnnouncer& announce)
{
    const ConfiguredProgramRow& row = ConfiguredProgramOf(which);
    const std::string& command = hooks.*row.command;
    if (command.empty()) {
        Announce(announce, row.notSpecified);
        return;
    }
    Announce(announce, row.label + command);
    const int wait = row.pause ? hooks.*row.pause : 0;
    WriteLog(RunProgram(command, wait));
}

void RunInstalledFile(const std::string& path, const std::string& parameters, bool wait)
{
    WriteLog("执行本文件：" + path);
    const std::string command = parameters.empty() ? path : path + " " + parameters;
    WriteLog(RunProgram(command, wait ? 1 : 0));
}

}  // namespace quibo
