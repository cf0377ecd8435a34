// Start-up recovery of an installation that a crash or a kill cut short
// (the procedure is described in install_transaction.h).
#pragma once

#include <functional>
#include <string>

namespace quibo {

enum class RecoveryOutcome {
    NoJournal,   // nothing to recover
    RolledBack,  // the product is as it was before that run
    Finished,    // the run is completed: versions written, backups deleted
    Unreadable,  // the journal was kept aside as + ".bad"; nothing was done
};

// The journal of the configuration package `packagePath`.
std::string InstallJournalPath(const std::string& packagePath);

// Undoes or finishes the run that `journalPath` records, logging every action,
// then removes the journal. `stepHook` as for InstallTransaction: a recovery
// cut short can be run again.
RecoveryOutcome RecoverInstall(const std::string& journalPath, const std::string& packagePath,
                               const std::function<void(int step)>& stepHook = {});

}  // namespace quibo
