// The installation's crash journal: its lines survive any path, a torn last
// line is taken as never written, other damage is refused, and the recovery
// plan undoes or finishes exactly what the records say.
#include "core/install/install_journal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace quibo;

namespace {

using T = JournalTag;

bool operator==(const JournalRecord& a, const JournalRecord& b)
{
    return a.tag == b.tag && a.path == b.path && a.version == b.version;
}

std::string Render(const std::vector<JournalRecord>& records)
{
    std::string text = JournalHeader();
    for (const JournalRecord& r : records) text += JournalLine(r);
    return text;
}

// Paths that a naive format would split or misread: blanks, "%", control
// bytes, and a code page 936 character whose trail byte is 0x5C ("\").
const std::vector<JournalRecord> kAwkward = {
    {T::BackupStart, "C:\\Program Files\\App\\main.exe", ""},
    {T::Backup, "C:\\Program Files\\App\\main.exe", ""},
    {T::Empty, "C:\\App\\100% done.txt", ""},
    {T::Write, "C:\\App\\\xD5\x5C\\\xB1\xED.dat", ""},
    {T::Wrote, "C:\\App\\tab\there\r\nline", ""},
    {T::Forget, "C:\\App\\%41.zip", ""},
    {T::Folder, "C:\\App\\new folder", ""},
    {T::Version, "file3", "1.2.3"},
    {T::Version, "dir0", ""},
    {T::Sequence, "18446744073709551615", ""},
    {T::Restored, "C:\\App\\x", ""},
    {T::ReadOnly, "C:\\App\\ro.ini", ""},
    {T::Run, "\"C:\\App\\setup.exe\" /S", "1"},
    {T::CloseExe, "app.exe", ""},
    {T::CloseTitle, "My App - 100%", ""},
    {T::CloseClass, "AppClass", ""},
    {T::Held, "C:\\App\\main.exe", ""},
    {T::Warn, "\xC7\xEB\xB9\xD8\xB1\xD5 now", ""},
    {T::Silent, "", ""},
    {T::Placed, "", ""},
};

}  // namespace

TEST(InstallJournal, EveryRecordReadsBackAsWritten)
{
    ParsedJournal parsed = ParseJournal(Render(kAwkward));
    ASSERT_TRUE(parsed.ok) << parsed.error;
    ASSERT_EQ(parsed.records.size(), kAwkward.size());
    for (size_t i = 0; i < kAwkward.size(); ++i) EXPECT_TRUE(parsed.records[i] == kAwkward[i]) << i;
    // One record per line, whatever the path holds.
    std::string line = JournalLine(kAwkward[4]);
    EXPECT_EQ(line.find('\n'), line.size() - 1);
    EXPECT_EQ(line.find('\r'), std::string::npos);
}

// A crash can cut the file anywhere in its last write: whatever is left reads
// as the records that were complete, never as a record that was not.
TEST(InstallJournal, CutAnywhereReadsAsTheCompleteRecords)
{
    const std::string text = Render(kAwkward);
    for (size_t cut = 0; cut <= text.size(); ++cut) {
        ParsedJournal parsed = ParseJournal(text.substr(0, cut));
        ASSERT_TRUE(parsed.ok) << cut << ": " << parsed.error;
        ASSERT_LE(parsed.records.size(), kAwkward.size());
        for (size_t i = 0; i < parsed.records.size(); ++i) ASSERT_TRUE(parsed.records[i] == kAwkward[i]);
        const size_t lines = std::count(text.begin(), text.begin() + static_cast<long>(cut), '\n');
        EXPECT_EQ(parsed.records.size(), lines == 0 ? 0 : lines - 1) << cut;
        // New records are appended after the complete lines, never to a torn one.
        EXPECT_EQ(parsed.validLength, lines == 0 ? 0 : Render(parsed.records).size()) << cut;
    }
    // A last line whose bytes did not all reach the disk (zeros in place of
    // them) counts as not written either.
    std::string zeroed = text;
    zeroed.replace(zeroed.size() - 5, 4, 4, '\0');
    ParsedJournal parsed = ParseJournal(zeroed);
    ASSERT_TRUE(parsed.ok);
    EXPECT_EQ(parsed.records.size(), kAwkward.size() - 1);
}

// Anything but a torn last line makes the journal unreadable: recovery then
// acts on nothing rather than on a guess.
TEST(InstallJournal, DamageBeforeTheLastLineIsRefused)
{
    const std::string good = Render({{T::Write, "C:\\a", ""}, {T::Wrote, "C:\\a", ""}});
    const std::string tail = JournalLine({T::Placed, "", ""});
    std::string flipped = good;
    flipped[good.find('\n') + 15] ^= 1;  // a byte of the "write" record
    const struct {
        const char* what;
        std::string text;
    } cases[] = {
        {"a changed byte", flipped},
        {"another program's file", "hello\nworld\n"},
        {"an unknown version", ChecksummedLine("quibo-install 2") + tail},
        {"an unknown record", JournalHeader() + ChecksummedLine("placid") + tail},
        {"no path", JournalHeader() + ChecksummedLine("write") + tail},
        {"an empty path", JournalHeader() + ChecksummedLine("write ") + tail},
        {"a field too many", JournalHeader() + ChecksummedLine("write a b") + tail},
        {"no version", JournalHeader() + ChecksummedLine("ver file1") + tail},
        {"a mark with a field", JournalHeader() + ChecksummedLine("placed now") + tail},
        {"a cut escape", JournalHeader() + ChecksummedLine("write a%4") + tail},
        {"an escape of a plain byte", JournalHeader() + ChecksummedLine("write %41") + tail},
        {"an escape that is not hex", JournalHeader() + ChecksummedLine("write %zz") + tail},
        {"a raw control byte", JournalHeader() + ChecksummedLine("write a\tb") + tail},
        {"a raw DEL byte", JournalHeader() + ChecksummedLine("write a\x7F" "b") + tail},
        {"a damaged line before a flushed one", JournalHeader() + "deadbeef wrote a\n" +
                                                    JournalLine({T::Wrote, "b", ""}) + tail},
        {"a damaged first line", "deadbeef quibo-install 1\n" + JournalLine({T::Wrote, "b", ""}) + "x\n"},
    };
    for (const auto& c : cases) {
        ParsedJournal parsed = ParseJournal(c.text);
        EXPECT_FALSE(parsed.ok) << c.what << " " << parsed.records.size();
        EXPECT_FALSE(parsed.error.empty()) << c.what;
    }
}

// Records that only confirm a step reach the disk with the next flush: a
// crash may leave a damaged line among them, and no step was taken on their
// word. The records before the damage are the journal.
TEST(InstallJournal, DamageInTheUnflushedTailLeavesTheRecordsBeforeIt)
{
    const std::string head = Render({{T::BackupStart, "C:\\a", ""}, {T::Write, "C:\\b", ""}});
    const std::string damaged = "deadbeef wrote C:\\b\n";
    const struct {
        const char* what;
        std::string tail;
        size_t dropped;
    } cases[] = {
        {"only unflushed records after it",
         damaged + JournalLine({T::Backup, "C:\\a", ""}) + JournalLine({T::Version, "file0", "2"}) +
             JournalLine({T::Run, "x.exe", "0"}),
         4},
        {"damaged lines only", damaged + damaged, 2},
        {"and a torn last line", damaged + JournalLine({T::Wrote, "C:\\b", ""}) + "0123", 2},
    };
    for (const auto& c : cases) {
        ParsedJournal parsed = ParseJournal(head + c.tail);
        ASSERT_TRUE(parsed.ok) << c.what << ": " << parsed.error;
        EXPECT_EQ(parsed.records.size(), 2u) << c.what;
        EXPECT_EQ(parsed.validLength, head.size()) << c.what;
        EXPECT_EQ(parsed.droppedLines, c.dropped) << c.what;
    }
}

TEST(InstallJournal, RollbackPlanUndoesWhatTheRunBegan)
{
    const std::vector<JournalRecord> records = {
        {T::Folder, "C:\\App\\sub", ""},
        {T::Folder, "C:\\App\\sub\\deeper", ""},
        {T::BackupStart, "C:\\App\\old.exe", ""},
        {T::Backup, "C:\\App\\old.exe", ""},
        {T::Empty, "C:\\App\\empty.ini", ""},
        {T::BackupStart, "C:\\App\\half.dll", ""},  // its backup never completed
        {T::Write, "C:\\App\\old.exe", ""},
        {T::Wrote, "C:\\App\\old.exe", ""},
        {T::Write, "C:\\App\\pack.zip", ""},
        {T::Wrote, "C:\\App\\pack.zip", ""},
        {T::Write, "C:\\App\\empty.ini", ""},
        {T::Forget, "C:\\App\\pack.zip", ""},
        {T::Write, "C:\\App\\new.txt", ""},  // begun, never confirmed
        {T::Version, "file0", "2.0"},         // not placed: never written
        {T::Sequence, "7", ""},
    };
    RecoveryPlan plan = PlanRecovery(records);
    EXPECT_FALSE(plan.finish);
    // Files with old content are replaced by it, never deleted first.
    EXPECT_EQ(plan.deleteWritten, std::vector<std::string>{"C:\\App\\new.txt"});
    EXPECT_EQ(plan.restoreBackups, std::vector<std::string>{"C:\\App\\old.exe"});
    EXPECT_EQ(plan.restoreEmpty, std::vector<std::string>{"C:\\App\\empty.ini"});
    EXPECT_EQ(plan.deleteBackups, std::vector<std::string>{"C:\\App\\half.dll.ebk"});
    EXPECT_EQ(plan.removeFolders, (std::vector<std::string>{"C:\\App\\sub\\deeper", "C:\\App\\sub"}));
    EXPECT_EQ(plan.deleteTemporary,
              (std::vector<std::string>{"C:\\App\\new.txt.~qbcopy", "C:\\App\\empty.ini.~qbcopy",
                                        "C:\\App\\old.exe.~qbcopy", "C:\\App\\old.exe.ebk.~qbcopy",
                                        "C:\\App\\half.dll.ebk.~qbcopy"}));
    EXPECT_TRUE(plan.versions.empty());
    EXPECT_EQ(plan.sequence, "");
}

// A rollback (or an earlier recovery) that was itself cut short: what it had
// restored is neither deleted nor restored again, and its backup may go.
TEST(InstallJournal, RestoredPathsAreLeftAsTheyAre)
{
    const std::vector<JournalRecord> records = {
        {T::BackupStart, "C:\\a", ""}, {T::Backup, "C:\\a", ""},   {T::BackupStart, "C:\\b", ""},
        {T::Backup, "C:\\b", ""},      {T::Empty, "C:\\e", ""},     {T::Write, "C:\\a", ""},
        {T::Write, "C:\\b", ""},       {T::Write, "C:\\e", ""},     {T::Restored, "C:\\a", ""},
        {T::Restored, "C:\\e", ""},
    };
    RecoveryPlan plan = PlanRecovery(records);
    EXPECT_TRUE(plan.deleteWritten.empty());
    EXPECT_EQ(plan.restoreBackups, std::vector<std::string>{"C:\\b"});
    EXPECT_TRUE(plan.restoreEmpty.empty());
    EXPECT_EQ(plan.deleteBackups, std::vector<std::string>{"C:\\a.ebk"});
}

TEST(InstallJournal, PlacedRunIsFinishedNotUndone)
{
    const std::vector<JournalRecord> records = {
        {T::BackupStart, "C:\\a", ""}, {T::Backup, "C:\\a", ""},     {T::Write, "C:\\a", ""},
        {T::Wrote, "C:\\a", ""},       {T::Version, "file0", "1.0"}, {T::Version, "dir2", "3.1"},
        {T::Version, "file0", "1.1"},  {T::Sequence, "12", ""},      {T::Placed, "", ""},
    };
    RecoveryPlan plan = PlanRecovery(records);
    EXPECT_TRUE(plan.finish);
    EXPECT_TRUE(plan.deleteWritten.empty());
    EXPECT_TRUE(plan.restoreBackups.empty());
    EXPECT_EQ(plan.deleteBackups, std::vector<std::string>{"C:\\a.ebk"});
    EXPECT_EQ(plan.versions,
              (std::vector<std::pair<std::string, std::string>>{{"file0", "1.1"}, {"dir2", "3.1"}}));
    EXPECT_EQ(plan.sequence, "12");
}

// What held the files is closed again before a rollback; the programs of a
// finished run are started; the product's read-only marks go back on.
TEST(InstallJournal, PlanCarriesTheClosingTheProgramsAndTheMarks)
{
    const std::vector<JournalRecord> head = {
        {T::CloseExe, "app.exe", ""},      {T::CloseTitle, "App", ""}, {T::CloseClass, "AppWnd", ""},
        {T::Held, "C:\\App\\a.dll", ""},   {T::Warn, "close it", ""}, {T::Silent, "", ""},
        {T::ReadOnly, "C:\\App\\r", ""},    {T::BackupStart, "C:\\App\\r", ""}, {T::Backup, "C:\\App\\r", ""},
        {T::Write, "C:\\App\\r", ""},      {T::Run, "setup.exe /S", "1"},       {T::Run, "after.exe", "0"},
    };
    RecoveryPlan undo = PlanRecovery(head);
    EXPECT_EQ(undo.closing.byExecutable, std::vector<std::string>{"app.exe"});
    EXPECT_EQ(undo.closing.byTitle, std::vector<std::string>{"App"});
    EXPECT_EQ(undo.closing.byClass, std::vector<std::string>{"AppWnd"});
    EXPECT_EQ(undo.closing.heldTargets, std::vector<std::string>{"C:\\App\\a.dll"});
    EXPECT_TRUE(undo.closing.warn);
    EXPECT_EQ(undo.closing.warning, "close it");
    EXPECT_TRUE(undo.closing.silent);
    EXPECT_EQ(undo.readOnly, std::vector<std::string>{"C:\\App\\r"});
    EXPECT_TRUE(undo.programs.empty());  // nothing of an undone run runs

    std::vector<JournalRecord> placed = head;
    placed.push_back({T::Placed, "", ""});
    RecoveryPlan finish = PlanRecovery(placed);
    ASSERT_EQ(finish.programs.size(), 2u);
    EXPECT_EQ(finish.programs[0].command, "setup.exe /S");
    EXPECT_TRUE(finish.programs[0].wait);
    EXPECT_EQ(finish.programs[1].command, "after.exe");
    EXPECT_FALSE(finish.programs[1].wait);
    EXPECT_EQ(finish.readOnly, std::vector<std::string>{"C:\\App\\r"});
}
