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
//   placed           every file is in place: a recovery finishes the run
//   restored P       P has its old content again (a rollback got that far)
//
// Only the last line may be torn (a crash during its write): a last line
// without LF, or whose checksum does not match, is taken as never written.
// That is safe because nothing is done before its record is complete. Any
// other damage makes the whole journal unreadable.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quibo {

enum class JournalTag { BackupStart, Backup, Empty, Write, Wrote, Forget, Folder, Version, Placed, Restored };

struct JournalRecord {
    JournalTag tag;
    std::string path;     // P or S
    std::string version;  // V of a "ver" record
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
};

// An empty text, or one whose header was torn, holds no records: the run had
// touched nothing yet.
ParsedJournal ParseJournal(std::string_view text);

// What a recovery does, in this order.
struct RecoveryPlan {
    bool finish = false;  // the run had placed every file
    // Unfinished copies' temporary files.
    std::vector<std::string> deleteTemporary;
    // Files the run began to write, newest first.
    std::vector<std::string> deleteWritten;
    // Paths whose backup is copied back; after success the backup goes too.
    std::vector<std::string> restoreBackups;
    // Paths that existed empty and were written: an empty file goes back.
    std::vector<std::string> restoreEmpty;
    // Backup files no longer needed.
    std::vector<std::string> deleteBackups;
    // Folders the run created, newest first; removed only when empty.
    std::vector<std::string> removeFolders;
    // "ver" values to write into "client.dat" (finishing only).
    std::vector<std::pair<std::string, std::string>> versions;
};

RecoveryPlan PlanRecovery(const std::vector<JournalRecord>& records);

}  // namespace quibo
