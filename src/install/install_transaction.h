// InstallTransaction: the one record of an installation run. It keeps the
// backups and the written files of every item, journals each step to disk so
// that a crash can be undone or finished at the next start, rolls the run
// back on failure and deletes the backups on success.
//
// The steps of an installation, in order:
//
//   1. Begin(): the journal (configuration package path + ".journal") is
//      created and its header flushed, before any file is touched. An existing
//      journal is never overwritten: it belongs to a run not yet recovered.
//   2. For each file about to be replaced, Backup(P): when P exists with a
//      size above 0 it must open for reading and writing; "backup-start P" is
//      journalled, P is copied to P.ebk (bytes flushed, then renamed into
//      place), and "backup P" is journalled. A file that exists empty is only
//      journalled ("empty P"), so that undoing the run puts an empty file back.
//   3. For each file written, WillWrite(P) journals "write P" before the first
//      byte, then the file is written (CopyFileInto, or unpacked) and flushed,
//      then Wrote(P) journals "wrote P". Folders about to be made are
//      journalled by WillMakeFolder. A written file deleted again on purpose
//      (a package after unpacking) is journalled by Forget(P).
//   4. RecordVersion() journals each "ver" value to be written back, then
//      MarkPlaced() journals "placed": every file is in place.
//   5. On success: the configuration is written back, DeleteBackups(), End().
//      On failure at any point: RollBack() (it deletes the backups itself),
//      End(). End() removes the journal.
//
// Every journal line is on the disk before the step it announces starts; the
// bytes of a backup or a new file are flushed before the record that confirms
// them. So at any instant the journal names every file the run may have
// changed (see core/install/install_journal.h for the format). A record that
// only confirms a step, or that a flushed record follows before anything
// depends on it ("backup" and "empty" before "write", "ver" before
// "placed"), is not flushed on its own: the next flush takes it along.
//
// Recovery (RecoverInstall, install_recovery.h), at start-up when a journal is
// found:
//
//   - no "placed": the run is undone. Temporary files of unfinished copies are
//     deleted; every file the run began to write is deleted, newest first;
//     every completed backup is copied back, then its P.ebk deleted (a backup
//     that cannot be copied back is kept and logged); files that existed empty
//     are put back empty; unfinished backups are deleted; folders the run
//     made are removed when empty.
//   - "placed": the run is finished. The journalled "ver" values are written
//     into member "client.dat" of the package and the backups are deleted.
//   - Then the journal is removed. Each restore is journalled ("restored P")
//     before its backup goes, so a recovery (or a rollback) that is itself
//     cut short can simply be run again.
//   - A journal that cannot be read is renamed to + ".bad" and left alone.
//
// Paths are compared without regard to case; each file keeps the spelling it
// was first given. Not thread-safe: one installation thread owns the object.
// Destroying it without End() leaves the journal, as a crash would.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/install/install_journal.h"
#include "install/install_view.h"
#include "win/scoped_handle.h"

namespace quibo {

class InstallTransaction {
public:
    // `stepHook` is called with a running number before every journal write
    // and every file operation; tests stop a run there (StopAtStepFromEnvironment).
    InstallTransaction(std::string journalPath, InstallView& view, std::function<void(int step)> stepHook = {});
    InstallTransaction(const InstallTransaction&) = delete;
    InstallTransaction& operator=(const InstallTransaction&) = delete;

    // False when the journal cannot be made (or one is already there).
    bool Begin();

    enum class BackupResult {
        Made,       // P.ebk holds the old content
        NotNeeded,  // missing or empty, already backed up, or written by this run
        Locked,     // P does not open for reading and writing
        Failed,     // the copy failed
        Refused,    // P is another file's backup, or P.ebk is a file this run wrote
    };
    BackupResult Backup(const std::string& path);

    // Journals that `path` is about to be written; false when it must not be
    // (it is the backup of another file) or the journal cannot be written.
    bool WillWrite(const std::string& path);
    // The file's bytes are on disk.
    void Wrote(const std::string& path);
    // A written file was deleted again on purpose: nothing to undo for it.
    void Forget(const std::string& path);
    // A folder is about to be made; a rollback removes it again when empty.
    bool WillMakeFolder(const std::string& path);
    // WillWrite, CopyFileInto, Wrote; false when refused or the copy failed.
    bool CopyIn(const std::string& source, const std::string& target);

    // A "ver" value that the write-back sets; a recovery after MarkPlaced
    // sets it again.
    void RecordVersion(const std::string& section, const std::string& version);
    // Every file is in place: from here on a recovery finishes the run.
    void MarkPlaced();

    // Deletes what was written (newest first), then copies every backup back.
    // A backup that cannot be copied back is kept. Ends with DeleteBackups.
    void RollBack();
    // Deletes the backups, except those a failed restore keeps.
    void DeleteBackups();
    // Removes the journal and empties the lists: the run is over, and a
    // later RollBack has nothing to undo.
    void End();

    const std::vector<std::string>& Backups() const { return backups_; }
    const std::vector<std::string>& Written() const { return written_; }

private:
    void Step();
    bool Journal(JournalTag tag, const std::string& path = {}, const std::string& version = {});
    // The spelling of `path` this run uses: the first one it was given.
    const std::string& Spelling(const std::string& path);
    void DeleteWritten(const std::string& path);
    void Restore(const std::string& path);
    void PutBackEmpty(const std::string& path);
    void RemoveNewFolders();

    std::string journalPath_;
    InstallView& view_;
    std::function<void(int)> stepHook_;
    int step_ = 0;
    UniqueFileHandle journal_;

    // Keys: paths folded for comparison (PathKey).
    std::map<std::wstring, std::string> spellings_;
    std::vector<std::string> backups_;     // made, in order
    std::vector<std::string> written_;     // written and not forgotten, in order of writing
    std::vector<std::string> empties_;     // existed with size 0
    std::vector<std::string> folders_;     // made by this run
    std::set<std::wstring> everWritten_;   // every path this run wrote
    std::set<std::wstring> settled_;       // backed up, or found empty
    std::set<std::wstring> liveBackups_;   // the ".ebk" names of the backups
    std::set<std::wstring> kept_;          // backups a failed restore keeps
};

}  // namespace quibo
