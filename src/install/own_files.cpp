#include "install/own_files.h"

#include <vector>

#include "core/log/run_log.h"
#include "core/startup/program_names.h"
#include "win/canonical_path.h"
#include "win/module_info.h"
#include "win/system_code_page.h"

namespace quibo {

namespace {

// Asked once per process: an installation asks for every file it touches.
const std::vector<std::string>& OwnFiles()
{
    static const std::vector<std::string> files = [] {
        const ModulePathParts program = SplitModulePath(GetModulePath(), SystemLeadBytes());
        std::vector<std::string> paths;
        for (const std::string& name : OwnFileNames(program.fileName, SystemLeadBytes()))
            paths.push_back(CanonicalPath(program.folder + name));
        return paths;
    }();
    return files;
}

}  // namespace

bool RefuseOwnFile(const std::string& target)
{
    const std::string spelled = CanonicalPath(target);
    for (const std::string& own : OwnFiles()) {
        if (spelled == own) {
            WriteLog("错误：不能覆盖升级程序自己的文件：" + target);
            return true;
        }
    }
    return false;
}

}  // namespace quibo
