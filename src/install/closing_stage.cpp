#include <set>

#include "core/log/run_log.h"
#include "core/text/case_fold.h"
#include "core/text/code_page.h"
#include "install/process_closer.h"
#include "win/file_status.h"

namespace quibo {

namespace {

// However many instances a name matches, the search stops here.
constexpr int kMostProcessesPerName = 64;

using ProcessFinder = DWORD (*)(const std::string&);

std::string BareFileName(const std::string& path)
{
    size_t slash = FindLastChar(path, '\\');
    size_t forward = FindLastChar(path, '/');
    if (slash == std::string::npos || (forward != std::string::npos && forward > slash)) slash = forward;
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsProgramOrLibrary(const std::string& path)
{
    return EndsWithNoCase(path, ".exe") || EndsWithNoCase(path, ".dll");
}

class Closer {
public:
    Closer(const ClosingStage& stage, bool& warned, InstallView& view, const CloseLimits& limits,
           ProcessControl& control)
        : stage_(stage), warned_(warned), view_(view), limits_(limits), control_(control)
    {
    }

    // Every process `find` gives for `name`, one after the other: two running
    // copies of a program are both ended.
    bool CloseAll(ProcessFinder find, const std::string& name)
    {
        if (name.empty()) return true;  // an empty title would match untitled windows
        std::set<DWORD> ended;
        for (int i = 0; i < kMostProcessesPerName; ++i) {
            DWORD id = find(name);
            // One that comes back after it was ended would only come back again.
            if (id == 0 || !ended.insert(id).second) return true;
            WriteLog("结束应用程序（模块）：" + name);
            if (!CloseProcess(id, view_, limits_, control_, [this] { WarnOnce(); })) return false;
        }
        return true;
    }

private:
    void WarnOnce()
    {
        if (warned_ || !stage_.warn) return;
        warned_ = true;
        view_.ShowInfo(stage_.warning);
    }

    const ClosingStage& stage_;
    bool& warned_;
    InstallView& view_;
    const CloseLimits& limits_;
    ProcessControl& control_;
};

}  // namespace

bool CloseRelatedPrograms(const ClosingStage& stage, bool& warned, InstallView& view, const CloseLimits& limits)
{
    ProcessControl control;
    return CloseRelatedPrograms(stage, warned, view, limits, control);
}

bool CloseRelatedPrograms(const ClosingStage& stage, bool& warned, InstallView& view, const CloseLimits& limits,
                          ProcessControl& control)
{
    Closer closer(stage, warned, view, limits, control);
    const std::pair<const std::vector<std::string>*, ProcessFinder> lists[] = {
        {&stage.byExecutable, FindProcessByName},
        {&stage.byTitle, FindProcessByWindowTitle},
        {&stage.byClass, FindProcessByWindowClass},
    };
    for (const auto& [entries, find] : lists)
        for (const std::string& entry : *entries)
            if (!closer.CloseAll(find, entry)) return false;

    // A program or library about to be replaced while something holds it.
    for (const std::string& target : stage.lockedTargets) {
        if (!IsProgramOrLibrary(target) || !FileExistsNonEmpty(target) || IsFileWritable(target)) continue;
        if (!closer.CloseAll(FindProcessByName, BareFileName(target))) return false;
    }
    return true;
}

}  // namespace quibo
