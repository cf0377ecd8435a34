// What this run of the updater is for: set by the command line ("/OP:") or by
// the run itself while it updates its own files.
#pragma once

namespace quibo {

enum class RunMode : int {
    Normal = 0,
    Preview = 1,     // show the pages without reading any configuration
    CheckVer = 2,    // compare versions and report, never update
    SelfUpdate = 3,  // fetch and install the updater's own program or package
};

}  // namespace quibo
