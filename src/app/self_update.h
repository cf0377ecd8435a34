// The self-update: the updater replaces its own program file through a
// temporary copy, in three processes that run one after another.
//
//   1. The running program, once its pages have fetched and verified the new
//      program as "<program>.exe" beside it, starts that copy hidden with the
//      hand-over line and ends; ending releases the single-instance mutex.
//   2. The copy waits for that mutex (for as long as the program's end takes:
//      its last hook may wait for a person) and for the program's process,
//      writes its own bytes beside the program file, flushes them and renames
//      them over it. Only then does it record the new version in the
//      configuration package (written beside it and renamed over it too), and
//      start the program again with the finish line. When the program file
//      cannot be replaced, nothing is recorded and nothing is restarted: the
//      old program still works and offers the update again next time.
//   3. The restarted program waits for the copy to end, deletes it and runs a
//      normal pass without the updater's own items. It never starts another
//      self-update: a version that could not be recorded would otherwise hand
//      over for ever.
//
// A fetched program whose bytes are the running program's is never handed
// over: its version is recorded in place and the run goes on.
//
// A new configuration package needs no second process: the download step
// swaps it in and the run starts a new pass with it.
//
// Every file lives in the program folder, named by an absolute path, so a host
// that starts the updater from another working folder gets the same result.
#pragma once

#include <string>
#include <string_view>

#include "core/text/code_page.h"

namespace quibo {

// The files of one program folder that a self-update touches.
struct SelfUpdateFiles {
    std::string programFolder;    // ends with "\"
    std::string programFileName;  // the program to replace, "update.exe"
    std::string packageName;      // "update.bin"

    std::string ProgramPath() const { return programFolder + programFileName; }
    std::string CopyPath() const { return ProgramPath() + ".exe"; }
    std::string PackagePath() const { return programFolder + packageName; }
};

// Before step 1: whether the fetched copy holds exactly the program's bytes.
bool CopyIsTheProgram(const SelfUpdateFiles& files);

// Sets `ver` of `section` in the package's "client.dat", flushed and renamed
// over the package. False when it could not be done.
bool RecordSelfVersion(const SelfUpdateFiles& files, const std::string& section, const std::string& version);

// Step 1: starts the fetched copy, hidden, with `arguments`. False when it
// could not be started.
bool StartProgramCopy(const SelfUpdateFiles& files, const std::string& arguments);

// Step 2, in the copy: `copyArguments` are its own. Returns once the program
// was started again, or once it was found that it cannot be replaced.
void ReplaceProgram(const SelfUpdateFiles& files, std::string_view copyArguments, LeadByteRule rule);

// Step 3, in the restarted program: waits for the copy to end and deletes it.
void RemoveProgramCopy(const SelfUpdateFiles& files);

}  // namespace quibo
