// How a configured command line becomes a program start: which part is the
// file, which the parameters and folder, and what actually gets started for
// registry files and ActiveX libraries.
#pragma once

#include <string>
#include <string_view>

namespace quibo {

struct ProgramCommand {
    std::string file;        // what the shell opens
    std::string parameters;  // passed on as written
    std::string folder;      // working folder, ends with "\"; empty: unset
    bool hidden = false;     // registry imports and registrations run hidden
    // For libraries: the silent unregistration that runs before registering.
    std::string unregisterParameters;
};

// Splits the command line at the first ".exe ", ".com " or ".bat " (so blanks
// inside the program's path survive), then the file at its last "\".
void SplitProgramCommand(std::string_view commandLine, std::string& file, std::string& parameters);

// The full plan: registry files go to "regedit.exe /s", ".ocx" and ".dll"
// files to "regsvr32.exe /s" (after "/u /s"); anything else is opened as is.
ProgramCommand PlanProgramCommand(std::string_view commandLine);

}  // namespace quibo
