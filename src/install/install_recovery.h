// Start-up recovery of an installation that a crash or a kill cut short
// (the procedure is described in install_transaction.h).
#pragma once

#include <functional>
#include <string>

#include "install/install_view.h"

namespace quibo {

enum class RecoveryOutcome {
    NoJournal,   // nothing to recover
    RolledBack,  // the product is as it was before that run
    Finished,    // the run is completed: versions written, backups deleted
    Unreadable,  // a journal is kept aside as + ".bad" (now or by an earlier start)
    Incomplete,  // a program could not be closed, a file restored or the versions written:
                 // the journal and the backups it needs stay for the next start
};

// Whether a run may go on to install after this outcome.
inline bool RecoveryAllowsInstall(RecoveryOutcome outcome)
{
    return outcome != RecoveryOutcome::Unreadable && outcome != RecoveryOutcome::Incomplete;
}

// The journal of the configuration package `packagePath`.
std::string InstallJournalPath(const std::string& packagePath);

// A journal, or one kept aside, is there. A run that must not change anything
// (a check or a preview) leaves it for the next run that may install.
bool InstallJournalPending(const std::string& journalPath);

// Closes the programs the journal names, then undoes or finishes the run that
// `journalPath` records, logging every action, then removes the journal when
// nothing is left. `stepHook` as for InstallTransaction: a recovery cut short
// can be run again. `view` shows the closing stage's boxes; without one they
// are the run's own boxes, none when the run that wrote the journal was silent.
RecoveryOutcome RecoverInstall(const std::string& journalPath, const std::string& packagePath,
                               const std::function<void(int step)>& stepHook = {}, InstallView* view = nullptr);

}  // namespace quibo
