// The crash journal of an installation: one line per step, appended and
// flushed to disk before (and, where it matters, after) the step happens, so
// that a run cut short by a crash or a kill can be undone or finished at the
// next start. This file holds the portable part: the line format, the parser
// and the decision of what a recovery has to do.
//
// Line format: "<crc> <tag>[ <field>...]" and LF. <crc> is the CRC-32 of the
// text after the blank, 8 lower-case hex digits; fields are separated by one
// blank, and in a field every byte below 0x21, 0x7F and "%" is written as
// "%XX" (upper-case hex). Paths are kept as the system's 8-bit text; escaping
// byte by byte is safe there because no trail byte of a double-byte
// character lies below 0x40. The first line is the header "quibo-install 1".
//
// Records (P a full path, S a section, V a version):
//   backup-start P   P is about to be copied to its backup
//   backup P         the backup's bytes are on disk
//   empty P          P exists with size 0: a rollback puts an empty file back
//   write P          P is about to be written (copied in or unpacked)
//   wrote P          P's bytes are on disk
//   forget P         P, written by this run, was deleted again on purpose
//   folder P         the folder P is about to be created
//   ver S V          "ver" of section S is to become V in "client.dat"
//   sequence N       [system] "sequence" is to become at least N there
//   placed           every file is in place: a recovery finishes the run
//   restored P       P has its old content again (a rollback got that far)
//   readonly P       P was marked read-only by the product; the run cleared
//                    the mark to back P up, and puts it back afterwards
//   run C W          after the run: command line C, W "1" to wait for it
// Written with the header, before any file is touched, so that a recovery
// can close what holds the files again before it restores them:
//   close-exe N      a program closed by its image file name
//   close-title T    a program closed by its window title
//   close-class C    a program closed by its window class
//   held P           a program or library the run may replace
//   warn M           the box shown once before the first program is ended
//   silent           the run showed no boxes
//
// Only the last line may be torn (a crash during its write): a last line
// without LF, or whose checksum does not match, is taken as never written.
// That is safe because nothing is done before its record is complete.
// Records that only confirm a step are not flushed on their own (see
// IsFlushedOnItsOwn), so a crash may leave a damaged line among them; the
// records before such a line are taken as the whole journal when the damaged
// line does not still read as a flushed record and every valid line after it
// is again one of those, confirming a step announced before the damage. Any
// other damage makes the whole journal unreadable.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quibo {

enum class JournalTag {
    BackupStart,
    Backup,
    Empty,
    Write,
    Wrote,
    Forget,
    Folder,
    Version,
    Sequence,
    Placed,
    Restored,
    ReadOnly,
    Run,
    CloseExe,
    CloseTitle,
    CloseClass,
    Held,
    Warn,
    Silent,
};

// False for the records that only confirm a step, or that a flushed record
// follows before anything depends on them ("backup" and "empty" before
// "write", "ver", "sequence" and "run" before "placed"): the next flush takes them along.
bool IsFlushedOnItsOwn(JournalTag tag);

struct JournalRecord {
    JournalTag tag;
    std::string path;     // P, S, N, T, C or M
    std::string version;  // V of a "ver" record, W of a "run" record
};

// `body` behind its checksum, with the LF: one line of the journal.
std::string ChecksummedLine(std::string_view body);
// The header line.
std::string JournalHeader();
// One record as a line.
std::string JournalLine(const JournalRecord& record);

struct ParsedJournal {
    bool ok = false;
    std::string error;  // why it is unreadable, for the log
    std::vector<JournalRecord> records;
    // Bytes of the complete lines; what follows is a torn line, and more
    // records go after these bytes only.
    size_t validLength = 0;
    // Lines after a damaged one that were let go (see the format above).
    size_t droppedLines = 0;
};

// An empty text, or one whose header was torn, holds no records: the run had
// touched nothing yet.
ParsedJournal ParseJournal(std::string_view text);

// What held the files of the run: closed again before a recovery.
struct RecoveryClosing {
    std::vector<std::string> byExecutable, byTitle, byClass, heldTargets;
    bool warn = false;
    std::string warning;
    bool silent = false;
};

struct PendingProgram {
    std::string command;
    bool wait = false;
};

// What a recovery does, in this order.
struct RecoveryPlan {
    RecoveryClosing closing;
    bool finish = false;  // the run had placed every file
    // Unfinished copies' temporary files.
    std::vector<std::string> deleteTemporary;
    // Files the run began to write that have no old content, newest first.
    std::vector<std::string> deleteWritten;
    // Paths whose backup is copied over them (never deleted first); after
    // success the backup goes too.
    std::vector<std::string> restoreBackups;
    // Paths that existed empty and were written: an empty file goes back.
    std::vector<std::string> restoreEmpty;
    // Backup files no longer needed.
    std::vector<std::string> deleteBackups;
    // Folders the run created, newest first; removed only when empty.
    std::vector<std::string> removeFolders;
    // "ver" values to write into "client.dat" (finishing only).
    std::vector<std::pair<std::string, std::string>> versions;
    // The release's sequence to record with them; empty for none.
    std::string sequence;
    // Programs to run after the versions are written (finishing only).
    std::vector<PendingProgram> programs;
    // Paths the product had marked read-only: marked again once restored
    // (or, when finishing, once in place).
    std::vector<std::string> readOnly;
};

RecoveryPlan PlanRecovery(const std::vector<JournalRecord>& records);

}  // namespace quibo
