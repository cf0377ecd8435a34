// The updater processes of one run. A self-update takes three processes one
// after another (the program, its copy "<name>.exe", the program again): all
// of them run inside a job object that the first one is started in, and
// every process in the job whose file name begins with the updater's counts
// (programs the updater starts on its own behalf do not).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "win/scoped_handle.h"

using namespace quibo;

namespace host {

class UpdaterProcesses {
public:
    // Starts the first process; false (and the system's error code) when it
    // cannot be started.
    bool Start(const std::string& program, std::string commandLine, DWORD& error);

    // Takes in the processes of the job that started since the last call.
    void Refresh();

    // True while process `pid` is a running updater process of the run.
    bool Contains(DWORD pid) const;

    // True when every updater process of the run has ended.
    bool AllEnded();

    // The first process's exit code; 255 while it runs.
    DWORD FirstExitCode() const;

private:
    struct Tracked {
        DWORD pid;
        UniqueHandle handle;
    };

    UniqueHandle job_;
    std::string name_;  // the updater's file name, lower case
    std::vector<Tracked> tracked_;
};

}  // namespace host
