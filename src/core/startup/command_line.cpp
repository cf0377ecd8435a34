#include "core/startup/command_line.h"

#include "core/text/case_fold.h"
#include "core/text/code_page.h"
#include "core/text/decimal.h"
#include "core/text/trim.h"

namespace quibo {

std::string GetSwitchValue(std::string_view commandLine, std::string_view key, LeadByteRule rule)
{
    std::string line = ToLowerAscii(commandLine, rule);
    std::string pattern = ToLowerAscii("/" + std::string(key) + ":");
    size_t hit = FindText(line, pattern, 0, rule);
    if (hit == std::string::npos) return {};
    size_t start = hit + pattern.size();
    size_t end = line.find(' ', start);
    return line.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

std::string_view CommandLineArguments(std::string_view commandLine)
{
    // A quoted name ends at its closing quote, as Windows reads it, even when a
    // switch follows without a blank. A quote is never a trail byte.
    if (!commandLine.empty() && commandLine[0] == '"') {
        size_t close = commandLine.find('"', 1);
        return close == std::string_view::npos ? std::string_view() : commandLine.substr(close + 1);
    }
    bool quoted = false;
    size_t p = 0;
    for (; p < commandLine.size() && (quoted || (commandLine[p] != ' ' && commandLine[p] != '\t')); ++p)
        if (commandLine[p] == '"') quoted = !quoted;
    return commandLine.substr(p);
}

CommandLineSwitches ReadCommandLine(std::string_view commandLine, LeadByteRule rule)
{
    CommandLineSwitches switches;
    std::string hwnd = GetSwitchValue(commandLine, "HWND", rule);
    if (!Trim(hwnd).empty()) switches.hostWindow = ParseDecimal(hwnd);

    std::string op = GetSwitchValue(commandLine, "OP", rule);
    if (op == "checkver")
        switches.runMode = RunMode::CheckVer;
    else if (op == "preview")
        switches.runMode = RunMode::Preview;

    std::string line = ToLowerAscii(commandLine, rule);
    switches.selfUpdate = FindText(line, "self_update", 0, rule) != std::string::npos;
    switches.selfFinish = !switches.selfUpdate && FindText(line, "self_finish", 0, rule) != std::string::npos;
    return switches;
}

}  // namespace quibo
