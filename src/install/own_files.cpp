#include "install/own_files.h"

#include "core/log/run_log.h"
#include "core/startup/program_names.h"
#include "win/canonical_path.h"
#include "win/module_info.h"
#include "win/system_code_page.h"

namespace quibo {

bool RefuseOwnFile(const std::string& target)
{
    const ModulePathParts program = SplitModulePath(GetModulePath(), SystemLeadBytes());
    const std::string spelled = CanonicalPath(target);
    for (const std::string& name : OwnFileNames(program.fileName, SystemLeadBytes())) {
        if (spelled == CanonicalPath(program.folder + name)) {
            WriteLog("错误：不能覆盖升级程序自己的文件：" + target);
            return true;
        }
    }
    return false;
}

}  // namespace quibo
