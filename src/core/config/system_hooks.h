// Programs to run around the update and what to close before installing,
// from section "system" of the server configuration.
#pragma once

#include <string>
#include <vector>

namespace quibo {

struct SystemHooks {
    std::string runBefore;
    int runBeforePause = 0;
    std::string runAfter;
    int runAfterPause = 0;
    std::string runNonetwork;
    std::string runUdbefore;
    std::string runUdafters;
    std::string runUdafterf;
    std::string runDlbefore;
    std::string runDlafters;
    std::string runDlafterf;
    std::vector<std::string> closeProc1;  // program file names
    std::vector<std::string> closeProc2;  // window titles
    std::vector<std::string> closeProc3;  // window class names
    std::vector<std::string> closeItems;  // item sections such as "file3"; empty: all
};

}  // namespace quibo
