// InstallTransaction: the one record of an installation run. It keeps the
// backups and the written files of every item, journals each step to disk so
// that a crash can be undone or finished at the next start, rolls the run
// back on failure and deletes the backups on success.
//
// The steps of an installation, in order:
//
//   1. Begin(closing): the journal (configuration package path + ".journal")
//      is created; its header and the records of what the closing stage
//      closed (programs by name, title and class, the targets that may be
//      held, the warning box, whether the run is silent) are flushed before
//      any file is touched. An existing journal is never overwritten: it
//      belongs to a run not yet recovered.
//   2. For each file about to be replaced, Backup(P): when P exists with a
//      size above 0: an existing P.ebk belongs to no step of this run (the
//      product's own file, or the only copy of an earlier content) and fails
//      the backup; a read-only mark the product put on P is journalled
//      ("readonly P") and cleared; P must open for reading and writing;
//      "backup-start P" is journalled, P is copied to P.ebk (bytes flushed,
//      then renamed into place), and "backup P" is journalled. A file that
//      exists empty is only journalled ("empty P"), so that undoing the run
//      puts an empty file back.
//   3. For each file written, WillWrite(P) journals "write P" before the first
//      byte, then the file is written (CopyFileInto, or unpacked) and flushed,
//      then Wrote(P) journals "wrote P". Folders about to be made are
//      journalled by WillMakeFolder. A written file deleted again on purpose
//      (a package after unpacking) is journalled by Forget(P). A file this run
//      wrote loses a read-only mark before the run replaces or deletes it.
//   4. RecordVersion() journals each "ver" value to be written back and
//      RecordProgram() each program to run afterwards ("run C W"), then
//      MarkPlaced() journals "placed": every file is in place.
//   5. On success: the configuration is written back, DeleteBackups() (which
//      also puts the product's read-only marks back), then End(), or Leave()
//      while programs are still to run or the versions could not be written:
//      the journal then stays for the finishing step or the next start.
//      On failure at any point: RollBack() (it deletes the backups itself),
//      End().
//
// Every journal line is on the disk before the step it announces starts; the
// bytes of a backup or a new file are flushed before the record that confirms
// them. So at any instant the journal names every file the run may have
// changed (see core/install/install_journal.h for the format). A record that
// only confirms a step, or that a flushed record follows before anything
// depends on it (IsFlushedOnItsOwn), is not flushed on its own: the next flush
// takes it along. A journal write that fails stops the step that needed it,
// and the run rolls back.
//
// Rollback: files the run wrote that had no old content are deleted, newest
// first; every backup is copied over its file (written beside it and renamed
// over it, never deleted first), then "restored P" is journalled; files that
// existed empty are emptied again; folders the run made are removed when
// empty; the backups are deleted. A restore that fails, or whose "restored"
// record cannot be written, keeps its P.ebk, and End() then keeps the journal:
// the next start goes on from there.
//
// Recovery (RecoverInstall, install_recovery.h), at start-up when a journal is
// found, in a run that may install (a check-only or preview run leaves it):
//
//   - The programs the journal names are closed first, by the rules of the
//     closing stage and with its warning box; when one cannot be closed
//     nothing is touched and the journal stays.
//   - no "placed": the run is undone as a rollback is. Temporary files of
//     unfinished copies and unfinished backups are deleted.
//   - "placed": the run is finished. The journalled "ver" values are written
//     into member "client.dat" of the package, the backups are deleted and
//     the "run" programs are started.
//   - Then the journal is removed, unless something could not be restored or
//     the versions could not be written: the journal and every P.ebk it still
//     needs then stay, the run says so and installs nothing, and every later
//     start tries again. Each restore is journalled ("restored P") before its
//     backup goes, so a recovery (or a rollback) that is itself cut short can
//     simply be run again.
//   - A journal whose damage is not confined to its unflushed tail is renamed
//     to + ".bad" and left alone; while that file is there no run installs.
//
// Paths are compared without regard to case; each file keeps the spelling it
// was first given. Not thread-safe: one installation thread owns the object.
// Destroying it without End() leaves the journal, as a crash would.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
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

    // For tests: the first record of kind `tag` fails as a write to a full
    // disk would, so that what follows a failed record can be seen.
    void FailFirstRecordForTesting(JournalTag tag) { failRecord_ = tag; }

    // False when the journal cannot be made (or one is already there).
    // `preamble`: the records of what the closing stage closed.
    bool Begin(const std::vector<JournalRecord>& preamble = {});

    enum class BackupResult {
        Made,       // P.ebk holds the old content
        NotNeeded,  // missing or empty, already backed up, or written by this run
        Locked,     // P does not open for reading and writing
        Failed,     // the copy or its record failed, or P.ebk is there already
        Refused,    // P is another file's backup, or P.ebk is a file this run wrote
    };
    BackupResult Backup(const std::string& path);

    // Journals that `path` is about to be written; false when it must not be
    // (it is the backup of another file) or the journal cannot be written.
    bool WillWrite(const std::string& path);
    // The file's bytes are on disk. False when that cannot be journalled.
    [[nodiscard]] bool Wrote(const std::string& path);
    // A written file was deleted again on purpose: nothing to undo for it.
    [[nodiscard]] bool Forget(const std::string& path);
    // A folder is about to be made; a rollback removes it again when empty.
    bool WillMakeFolder(const std::string& path);
    // WillWrite, CopyFileInto, Wrote; false when refused or the copy failed.
    bool CopyIn(const std::string& source, const std::string& target);
    // The same from a source file the caller holds open (from its first byte).
    bool CopyIn(HANDLE source, const std::string& target);

    // A "ver" value that the write-back sets; a recovery after MarkPlaced
    // sets it again.
    [[nodiscard]] bool RecordVersion(const std::string& section, const std::string& version);
    // The release's sequence, recorded with the versions.
    [[nodiscard]] bool RecordSequence(std::uint64_t sequence);
    // A program to start once the run is over; a recovery after MarkPlaced
    // starts it when the run could not.
    [[nodiscard]] bool RecordProgram(const std::string& command, bool wait);
    // Every file is in place: from here on a recovery finishes the run.
    [[nodiscard]] bool MarkPlaced();

    // Deletes what was written without old content (newest first), copies
    // every backup over its file. A backup that cannot be copied back is
    // kept. Ends with DeleteBackups. False when something is left to restore.
    bool RollBack();
    // Deletes the backups, except those a failed restore keeps, and puts the
    // product's read-only marks back.
    void DeleteBackups();
    // Removes the journal and empties the lists: the run is over, and a
    // later RollBack has nothing to undo. The journal stays (and the run
    // says so) while a failed restore keeps a backup or a record is missing.
    void End();
    // Closes the journal and leaves it for a later step or start to finish.
    void Leave();

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
    void Clear();
    void RemoveNewFolders();

    std::string journalPath_;
    InstallView& view_;
    std::function<void(int)> stepHook_;
    std::optional<JournalTag> failRecord_;
    int step_ = 0;
    UniqueFileHandle journal_;

    // Keys: paths folded for comparison (PathKey).
    std::map<std::wstring, std::string> spellings_;
    std::vector<std::string> backups_;     // made, in order
    std::vector<std::string> written_;     // written and not forgotten, in order of writing
    std::vector<std::string> empties_;     // existed with size 0
    std::vector<std::string> folders_;     // made by this run
    std::vector<std::string> readOnly_;    // the product had marked them read-only
    std::set<std::wstring> everWritten_;   // every path this run wrote
    std::set<std::wstring> settled_;       // backed up, or found empty
    std::set<std::wstring> liveBackups_;   // the ".ebk" names of the backups
    std::set<std::wstring> kept_;          // backups a failed restore keeps
    bool journalFailed_ = false;           // a record did not reach the disk
};

}  // namespace quibo
