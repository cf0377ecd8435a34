// The command line, which anybody who starts the updater writes: the switches,
// and the lines a self-update builds from it and reads back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/config/update_item.h"
#include "core/startup/command_line.h"
#include "core/startup/program_names.h"
#include "core/startup/self_update_lines.h"

using namespace quibo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string line(reinterpret_cast<const char*>(data), size);
    for (TextCharset charset : {TextCharset::CodePage936, TextCharset::Utf8}) {
        std::string_view arguments = CommandLineArguments(line);
        if (arguments.size() > line.size()) std::abort();
        CommandLineSwitches switches = ReadCommandLine(arguments, charset);
        if (switches.selfUpdate && switches.selfFinish) std::abort();

        // The copy hands the line on; the restarted program must never take
        // itself for a copy, or it would hand over again.
        std::string handOver = HandOverArguments(arguments, switches.hostWindow, 3, "2.1");
        if (!ReadCommandLine(handOver, charset).selfUpdate) std::abort();
        std::string finish = FinishArguments(handOver, charset);
        if (ReadCommandLine(finish, charset).selfUpdate) std::abort();

        if (std::optional<SelfVersionRecord> record =
                ReadHandOverValue(GetSwitchValue(arguments, "self_update", charset))) {
            const std::string number = record->section.substr(4);
            if (record->section.compare(0, 4, "file") != 0 || number.empty() || number.size() > 2 ||
                std::atoi(number.c_str()) >= kFileItemCount || record->version.find('-') != std::string::npos)
                std::abort();
        }
        std::string program = ProgramNameForCopy(line, charset);
        if (!program.empty() && program.size() + 4 != line.size()) std::abort();
    }
    return 0;
}
