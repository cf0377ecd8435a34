#include "updater_processes.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cctype>
#include <utility>

namespace host {

namespace {

std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

bool Ended(HANDLE process) { return ::WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }

}  // namespace

bool UpdaterProcesses::Start(const std::string& program, std::string commandLine, DWORD& error)
{
    name_ = Lower(program.substr(program.find_last_of("\\/") + 1));
    job_.Reset(::CreateJobObjectA(nullptr, nullptr));
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    // Suspended until it is in the job, so that nothing it starts escapes.
    if (!job_ || !::CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE,
                                   CREATE_SUSPENDED, nullptr, nullptr, &si, &pi)) {
        error = ::GetLastError();
        return false;
    }
    UniqueHandle thread(pi.hThread);
    ::AssignProcessToJobObject(job_.Get(), pi.hProcess);
    ::ResumeThread(thread.Get());
    tracked_.push_back({pi.dwProcessId, UniqueHandle(pi.hProcess)});
    return true;
}

void UpdaterProcesses::Refresh()
{
    UniqueFileHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32First(snapshot.Get(), &entry); more;
         more = ::Process32Next(snapshot.Get(), &entry)) {
        if (Lower(entry.szExeFile).compare(0, name_.size(), name_) != 0) continue;
        if (Contains(entry.th32ProcessID)) continue;
        UniqueHandle process(
            ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, entry.th32ProcessID));
        BOOL inJob = FALSE;
        // An ended process can still be listed; its number may also be a new process's now.
        if (process && !Ended(process.Get()) && ::IsProcessInJob(process.Get(), job_.Get(), &inJob) && inJob)
            tracked_.push_back({entry.th32ProcessID, std::move(process)});
    }
}

bool UpdaterProcesses::Contains(DWORD pid) const
{
    return std::any_of(tracked_.begin(), tracked_.end(),
                       [pid](const Tracked& t) { return t.pid == pid && !Ended(t.handle.Get()); });
}

bool UpdaterProcesses::AllEnded()
{
    // Looked at in this order, a process that starts the next one and ends at
    // once is never mistaken for the last: the next one is seen by Refresh.
    if (!std::all_of(tracked_.begin(), tracked_.end(),
                     [](const Tracked& t) { return Ended(t.handle.Get()); }))
        return false;
    size_t known = tracked_.size();
    Refresh();
    return tracked_.size() == known;
}

DWORD UpdaterProcesses::FirstExitCode() const
{
    DWORD code = 255;
    if (tracked_.empty() || !::GetExitCodeProcess(tracked_.front().handle.Get(), &code) ||
        code == STILL_ACTIVE)
        return 255;
    return code;
}

}  // namespace host
