#include "core/startup/program_command.h"

#include "core/text/case_fold.h"
#include "core/text/code_page.h"

namespace quibo {

namespace {

// The path a system tool receives: quoted when it holds a blank, or the tool
// would read it as two arguments.
std::string ToolArgument(const std::string& path)
{
    return path.find(' ') == std::string::npos ? path : "\"" + path + "\"";
}

}  // namespace

void SplitProgramCommand(std::string_view commandLine, std::string& file, std::string& parameters)
{
    file.assign(commandLine);
    parameters.clear();
    size_t blank = commandLine.find(' ');
    if (blank == std::string_view::npos || blank == 0) return;

    static const char* const kProgramExtensions[] = {".exe ", ".com ", ".bat "};
    for (size_t p = 0; p < commandLine.size(); p = NextCharPos(commandLine, p)) {
        for (const char* ext : kProgramExtensions) {
            std::string_view candidate = commandLine.substr(p, 5);
            if (EqualsNoCase(candidate, ext)) {
                file.assign(commandLine.substr(0, p + 4));
                parameters.assign(commandLine.substr(p + 5));
                return;
            }
        }
    }
}

ProgramCommand PlanProgramCommand(std::string_view commandLine)
{
    ProgramCommand plan;
    std::string file;
    SplitProgramCommand(commandLine, file, plan.parameters);

    size_t slash = FindLastChar(file, '\\');
    if (slash != std::string::npos) {
        plan.folder = file.substr(0, slash + 1);
        file.erase(0, slash + 1);
    }

    std::string path = plan.folder + file;
    if (EndsWithNoCase(file, ".reg")) {
        plan.file = "regedit.exe";
        plan.parameters = "/s " + ToolArgument(path);
        plan.folder.clear();
        plan.hidden = true;
    } else if (EndsWithNoCase(file, ".ocx") || EndsWithNoCase(file, ".dll")) {
        plan.file = "regsvr32.exe";
        plan.unregisterParameters = "/u /s " + ToolArgument(path);
        plan.parameters = "/s " + ToolArgument(path);
        plan.folder.clear();
        plan.hidden = true;
    } else {
        plan.file = file;
    }
    return plan;
}

}  // namespace quibo
