// The installation: what the download step left in the download folder is
// put in place, every old file kept until the end, and everything undone on
// any failure.
//
// Stages, each entered only when the one before succeeded:
//   1. closing the related programs (nothing touched yet: a failure ends the
//      run without a rollback);
//   2. the pre-update program;
//   3. backups: every file about to be overwritten is copied to "<path>.ebk"
//      (file items, then folder items);
//   4. placing: every downloaded file is opened once, so that nobody can
//      change it until it is copied, checked on that handle against its
//      signed SHA-256 and size (or a file item's md5) once more, and copied
//      from it into its target folder; zip packages are unpacked;
//   5. the configuration: the items' new versions are written into
//      "client.dat" of the configuration package (when that fails, the
//      journal keeps them and the next start writes them);
//   6. the backups are deleted and the host is told; the journal stays while
//      programs to run afterwards are pending.
// From stage 3 on, the InstallTransaction records every step in a journal
// that a later start uses to finish or undo a run that was killed; see
// install_transaction.h for the journal and its recovery.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <optional>
#include <string>

#include "core/config/update_config.h"
#include "core/install/install_journal.h"
#include "core/text/code_page.h"
#include "core/transfer/download_records.h"
#include "install/install_view.h"

namespace quibo {

struct InstallJob {
    UpdateConfig* config;             // items, hooks, close lists; its client text gets the new versions
    const DownloadRecords* records;   // what the download step placed
    std::string downloadFolder;       // ends with "\"
    std::string programFolder;        // ends with "\"
    std::string packageName;          // the configuration package, in the program folder
    HWND hostWindow = nullptr;        // told 1 after a successful installation
    LeadByteRule rule = kBuildCharset;
    std::function<void(int step)> stepHook;  // for tests: called before every recorded step
    std::optional<JournalTag> failRecord;    // for tests: the first such record fails to be written
};

enum class InstallEnd {
    Succeeded,
    Failed,         // rolled back
    ClosingFailed,  // a program could not be closed; nothing was touched
};

// What the finish step needs after the installation.
struct InstallOutcome {
    InstallEnd end = InstallEnd::Failed;
    // Per file item: the installed file to run afterwards ("runme"), or empty.
    std::array<std::string, kFileItemCount> runPaths;
    // The journal that still lists the programs to run after the
    // installation ("runme", "run_udafters"): a start after a kill runs them.
    // Removed by ProgramsRan once they have run.
    std::string pendingJournal;
};

// The whole installation, on the calling (worker) thread. `view` shows its
// texts, progress 0 to 60 and boxes.
InstallOutcome RunInstall(const InstallJob& job, InstallView& view);

// The programs after the installation have run: their journal goes.
void ProgramsRan(InstallOutcome& outcome);

}  // namespace quibo
