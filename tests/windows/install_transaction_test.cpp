// The installation's record of one run: what a rollback leaves behind for each
// kind of file, which backups it refuses, and the texts the user and the log
// get. Every case ends by comparing the whole folder, names and bytes.
#include "install/install_transaction.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "../native/zip_test_support.h"
#include "core/install/install_names.h"
#include "install/archive_extract.h"
#include "install_test_support.h"

using namespace quibo;
using namespace installtest;
using transfertest::FileExists;
using transfertest::LogCapture;
using transfertest::ReadBytes;
using transfertest::WriteBytes;
using Result = InstallTransaction::BackupResult;

namespace {

// "@" in a text stands for the product folder.
std::vector<std::string> At(const std::string& dir, std::vector<std::string> texts)
{
    for (std::string& text : texts)
        for (size_t at = text.find('@'); at != std::string::npos; at = text.find('@', at + dir.size()))
            text.replace(at, 1, dir);
    return texts;
}

// One run: a product folder, a download folder with the new files, and a
// transaction journalled beside the product.
struct InstallRun {
    InstallRun() : tx(app / "update.bin.journal", view) { EXPECT_TRUE(tx.Begin()); }

    // A new file in the download folder.
    std::string Download(const std::string& name, const std::string& bytes)
    {
        WriteBytes(downloads / name, bytes);
        return downloads / name;
    }

    Scratch app{"product"};
    Scratch downloads{"downloads"};
    RecordingInstallView view;
    InstallTransaction tx;
    const std::string& dir = app.Path();
};

struct RollbackCase {
    const char* what;
    Tree before;
    std::function<void(InstallRun&, const std::string& dir)> run;
    Tree after;                          // the product folder after RollBack
    std::vector<std::string> statuses;   // "@" = the product folder
    std::vector<std::string> logged;     // run-log lines, in order, among others
    std::vector<std::string> notLogged;  // lines that must not appear
    bool heldDuringRollback = false;     // a running program holds "a.dll"
    bool journalKept = false;            // something is left for the next start
};

bool ReadOnly(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

}  // namespace

TEST(InstallTransaction, RollBackLeavesEveryKindOfFileAsItWas)
{
    const std::vector<RollbackCase> cases = {
        {"a file that existed",
         {{"a.dll", "old"}},
         [](InstallRun& t, const std::string& dir) {
             EXPECT_EQ(t.tx.Backup(dir + "a.dll"), Result::Made);
             EXPECT_TRUE(t.tx.CopyIn(t.Download("a.dll", "new"), dir + "a.dll"));
         },
         {{"a.dll", "old"}},
         {"正在恢复更新前状态！", "文件：@a.dll恢复成功！", "正在删除备份文件！"},
         {"备份文件：@a.dll.ebk删除成功！"},
         // The old content goes over the new file: it is never deleted first.
         {"新文件：@a.dll删除成功！"}},
        {"a file that did not exist",
         {},
         [](InstallRun& t, const std::string& dir) {
             EXPECT_EQ(t.tx.Backup(dir + "n.txt"), Result::NotNeeded);
             EXPECT_TRUE(t.tx.CopyIn(t.Download("n.txt", "new"), dir + "n.txt"));
         },
         {},
         {"正在恢复更新前状态！", "正在删除备份文件！"},
         {"新文件：@n.txt删除成功！"},
         {}},
        {"a file that existed empty",
         {{"e.ini", ""}},
         [](InstallRun& t, const std::string& dir) {
             EXPECT_EQ(t.tx.Backup(dir + "e.ini"), Result::NotNeeded);
             EXPECT_TRUE(t.tx.CopyIn(t.Download("e.ini", "new"), dir + "e.ini"));
         },
         {{"e.ini", ""}},
         {"正在恢复更新前状态！", "文件：@e.ini恢复成功！", "正在删除备份文件！"},
         {},
         {"新文件：@e.ini删除成功！"}},
        {"a file backed up twice",
         {{"a.dll", "old"}},
         [](InstallRun& t, const std::string& dir) {
             EXPECT_EQ(t.tx.Backup(dir + "a.dll"), Result::Made);
             EXPECT_TRUE(t.tx.CopyIn(t.Download("a1", "new 1"), dir + "a.dll"));
             // A second item names the same file: its old content is already safe.
             EXPECT_EQ(t.tx.Backup(dir + "A.DLL"), Result::NotNeeded);
             EXPECT_TRUE(t.tx.CopyIn(t.Download("a2", "new 2"), dir + "A.DLL"));
         },
         {{"a.dll", "old"}},
         {"正在恢复更新前状态！", "文件：@a.dll恢复成功！", "正在删除备份文件！"},
         {"备份文件：@a.dll.ebk删除成功！"},
         {"新文件：@a.dll删除成功！"}},
        {"a package member naming an item's file",
         {{"a.dll", "old"}, {"b.txt", "old b"}},
         [](InstallRun& t, const std::string& dir) {
             EXPECT_EQ(t.tx.Backup(dir + "a.dll"), Result::Made);
             EXPECT_TRUE(t.tx.CopyIn(t.Download("a.dll", "new"), dir + "a.dll"));
             const std::string zip = ziptest::StoredArchive({{"a.dll", "zipped a"}, {"b.txt", "zipped b"}});
             EXPECT_TRUE(t.tx.CopyIn(t.Download("pack.zip", zip), dir + "pack.zip"));
             EXPECT_TRUE(ExtractArchive(dir + "pack.zip", dir, t.tx, t.view));
             EXPECT_EQ(ReadBytes(dir + "a.dll"), "zipped a");
             ::DeleteFileA((dir + "pack.zip").c_str());
             EXPECT_TRUE(t.tx.Forget(dir + "pack.zip"));
         },
         {{"a.dll", "old"}, {"b.txt", "old b"}},
         {"正在恢复更新前状态！", "文件：@a.dll恢复成功！", "文件：@b.txt恢复成功！", "正在删除备份文件！"},
         {"备份文件：@a.dll.ebk删除成功！", "备份文件：@b.txt.ebk删除成功！"},
         {"新文件：@pack.zip删除成功！", "新文件：@pack.zip删除失败！", "新文件：@a.dll删除成功！"}},
        {"a file whose old content cannot be put back",
         {{"a.dll", "old"}},
         [](InstallRun& t, const std::string& dir) {
             EXPECT_EQ(t.tx.Backup(dir + "a.dll"), Result::Made);
             EXPECT_TRUE(t.tx.CopyIn(t.Download("a.dll", "new"), dir + "a.dll"));
         },
         {{"a.dll", "new"}, {"a.dll.ebk", "old"}},
         {"正在恢复更新前状态！", "文件：@a.dll恢复失败！", "正在删除备份文件！"},
         {"文件：@a.dll的原内容保留在@a.dll.ebk中！", "更新记录文件：@update.bin.journal保留，下次启动时继续恢复！"},
         {"备份文件：@a.dll.ebk删除成功！", "新文件：@a.dll删除失败！"},
         true,
         true},
        {"a file whose backup has gone",
         {{"a.dll", "old"}},
         [](InstallRun& t, const std::string& dir) {
             EXPECT_EQ(t.tx.Backup(dir + "a.dll"), Result::Made);
             EXPECT_TRUE(t.tx.CopyIn(t.Download("a.dll", "new"), dir + "a.dll"));
             ::DeleteFileA((dir + "a.dll.ebk").c_str());
         },
         // The new file stays rather than none, and so does the journal.
         {{"a.dll", "new"}},
         {"正在恢复更新前状态！", "文件：@a.dll恢复失败！", "正在删除备份文件！"},
         {"更新记录文件：@update.bin.journal保留，下次启动时继续恢复！"},
         {"新文件：@a.dll删除成功！"},
         false,
         true},
        {"files the run wrote read-only, and one the product had marked so",
         {{"a.dll", "old"}, {"r.txt", "old r"}},
         [](InstallRun& t, const std::string& dir) {
             ASSERT_TRUE(::SetFileAttributesA((dir + "r.txt").c_str(), FILE_ATTRIBUTE_READONLY));
             EXPECT_EQ(t.tx.Backup(dir + "r.txt"), Result::Made);
             EXPECT_TRUE(t.tx.CopyIn(t.Download("r.txt", "new r"), dir + "r.txt"));
             EXPECT_EQ(t.tx.Backup(dir + "a.dll"), Result::Made);
             EXPECT_TRUE(t.tx.CopyIn(t.Download("a.dll", "new"), dir + "a.dll"));
             EXPECT_TRUE(t.tx.CopyIn(t.Download("n.txt", "new n"), dir + "n.txt"));
             for (const char* name : {"a.dll", "n.txt", "r.txt"})
                 ASSERT_TRUE(::SetFileAttributesA((dir + name).c_str(), FILE_ATTRIBUTE_READONLY));
         },
         {{"a.dll", "old"}, {"r.txt", "old r"}},
         {"正在恢复更新前状态！", "文件：@r.txt恢复成功！", "文件：@a.dll恢复成功！", "正在删除备份文件！"},
         {"新文件：@n.txt删除成功！"},
         {}},
    };
    for (const RollbackCase& c : cases) {
        SCOPED_TRACE(c.what);
        InstallRun t;
        const std::string& dir = t.dir;
        MakeTree(dir, c.before);
        LogCapture log;
        c.run(t, dir);
        // A running program holds the file while the rollback runs.
        FileLock lock(c.heldDuringRollback ? dir + "a.dll" : dir + "none");
        ASSERT_EQ(lock.Held(), c.heldDuringRollback);
        t.tx.RollBack();
        lock.Release();
        t.tx.End();
        const RecordingInstallView& view = t.view;
        EXPECT_EQ(FileExists(dir + "update.bin.journal"), c.journalKept);
        ::DeleteFileA((dir + "update.bin.journal").c_str());
        // The product's own mark is back, and only there.
        EXPECT_EQ(ReadOnly(dir + "r.txt"), c.before.count("r.txt") > 0);
        EXPECT_FALSE(ReadOnly(dir + "a.dll"));
        EXPECT_EQ(Show(Snapshot(dir)), Show(c.after));
        EXPECT_EQ(view.statuses, At(dir, c.statuses));
        EXPECT_EQ(view.stages, (std::vector<std::string>{"正在恢复更新前状态！", "正在删除备份文件！"}));
        const std::vector<std::string> lines = LogLines(log.Text());
        size_t from = 0;
        for (const std::string& line : At(dir, c.logged)) {
            auto it = std::find(lines.begin() + static_cast<long>(from), lines.end(), line);
            EXPECT_NE(it, lines.end()) << line;
            if (it != lines.end()) from = static_cast<size_t>(it - lines.begin());
        }
        for (const std::string& line : At(dir, c.notLogged))
            EXPECT_EQ(std::find(lines.begin(), lines.end(), line), lines.end()) << line;
    }
}

// A backup never replaces a file this run wrote or another backup, and no
// file is written over a live backup.
TEST(InstallTransaction, BackupsAreNeverOverwritten)
{
    InstallRun t;
    const std::string& dir = t.dir;
    MakeTree(dir, {{"a.dll", "old a"}, {"b.dll", "old b"}});
    ASSERT_EQ(t.tx.Backup(dir + "a.dll"), Result::Made);
    EXPECT_FALSE(t.tx.WillWrite(dir + "a.dll.ebk"));
    EXPECT_FALSE(t.tx.CopyIn(t.Download("x", "new"), dir + "A.dll.EBK"));
    EXPECT_EQ(t.tx.Backup(dir + "a.dll.ebk"), Result::Refused);
    // A package brought a file named like b.dll's backup: b.dll cannot be
    // backed up without losing it.
    ASSERT_TRUE(t.tx.CopyIn(t.Download("y", "from the package"), dir + "b.dll.ebk"));
    EXPECT_EQ(t.tx.Backup(dir + "b.dll"), Result::Refused);
    EXPECT_EQ(ReadBytes(dir + "a.dll.ebk"), "old a");
    EXPECT_EQ(ReadBytes(dir + "b.dll.ebk"), "from the package");

    t.tx.RollBack();
    t.tx.End();
    EXPECT_EQ(Show(Snapshot(dir)), Show({{"a.dll", "old a"}, {"b.dll", "old b"}}));
}

// An ".ebk" that is there before the run is not the run's to replace: the
// product's own file of that name, or the only copy an earlier run kept.
TEST(InstallTransaction, AnEarlierBackupIsNeverReplaced)
{
    InstallRun t;
    const std::string& dir = t.dir;
    MakeTree(dir, {{"a.dll", "old a"}, {"a.dll.ebk", "kept by an earlier run"}, {"c.txt", "old c"},
                   {"c.txt.ebk", "the product's own"}});
    LogCapture log;
    for (const char* name : {"a.dll", "c.txt"}) EXPECT_EQ(t.tx.Backup(dir + name), Result::Failed) << name;
    const std::string text = log.Text();
    for (const char* name : {"a.dll", "c.txt"})
        EXPECT_NE(text.find("错误：备份文件：" + dir + name + ".ebk已存在，不能覆盖！"), std::string::npos) << text;
    t.tx.RollBack();
    t.tx.End();
    EXPECT_EQ(Show(Snapshot(dir)), Show({{"a.dll", "old a"}, {"a.dll.ebk", "kept by an earlier run"},
                                         {"c.txt", "old c"}, {"c.txt.ebk", "the product's own"}}));
}

TEST(InstallTransaction, LockedAndMissingFilesAreNotBackedUp)
{
    InstallRun t;
    const std::string& dir = t.dir;
    MakeTree(dir, {{"run.exe", "running"}, {"sub", kFolder}});
    FileLock lock(dir + "run.exe");
    EXPECT_EQ(t.tx.Backup(dir + "run.exe"), Result::Locked);
    lock.Release();
    EXPECT_EQ(t.tx.Backup(dir + "absent.txt"), Result::NotNeeded);
    EXPECT_EQ(t.tx.Backup(dir + "sub"), Result::NotNeeded);
    t.tx.End();
    EXPECT_EQ(Show(Snapshot(dir)), Show({{"run.exe", "running"}, {"sub", kFolder}}));
}

// The path is in the record before its first byte is written, so a write
// that dies half way (an unpacking that stops in the middle of a file) is
// still undone.
TEST(InstallTransaction, FileWrittenHalfWayIsRolledBack)
{
    InstallRun t;
    const std::string& dir = t.dir;
    ASSERT_TRUE(t.tx.WillWrite(dir + "half.bin"));
    WriteBytes(dir + "half.bin", "the first half");
    t.tx.RollBack();
    t.tx.End();
    EXPECT_EQ(Show(Snapshot(dir)), "");
}

TEST(InstallTransaction, SuccessDeletesTheBackupsAndTheJournal)
{
    InstallRun t;
    const std::string& dir = t.dir;
    MakeTree(dir, {{"a.dll", "old a"}, {"b\\c.dat", "old c"}});
    EXPECT_TRUE(FileExists(dir + "update.bin.journal"));
    LogCapture log;
    for (const char* name : {"a.dll", "b\\c.dat"}) {
        ASSERT_EQ(t.tx.Backup(dir + name), Result::Made);
        ASSERT_TRUE(t.tx.CopyIn(t.Download("new", std::string("new ") + name), dir + name));
    }
    EXPECT_TRUE(t.tx.MarkPlaced());
    t.tx.DeleteBackups();
    t.tx.End();
    EXPECT_EQ(Show(Snapshot(dir)), Show({{"a.dll", "new a.dll"}, {"b", kFolder}, {"b\\c.dat", "new b\\c.dat"}}));
    EXPECT_EQ(t.view.statuses, std::vector<std::string>{"正在删除备份文件！"});
    EXPECT_EQ(t.view.stages, std::vector<std::string>{"正在删除备份文件！"});
    EXPECT_EQ(LogLines(log.Text()), At(dir, {"备份文件：@a.dll.ebk删除成功！", "备份文件：@b\\c.dat.ebk删除成功！"}));
    // A second rollback finds nothing left to do.
    t.tx.RollBack();
    EXPECT_EQ(Show(Snapshot(dir)), Show({{"a.dll", "new a.dll"}, {"b", kFolder}, {"b\\c.dat", "new b\\c.dat"}}));
}

// A journal already there belongs to a run that was never recovered: a new
// run must not start over it.
TEST(InstallTransaction, BeginRefusesAnUnrecoveredJournal)
{
    Scratch app{"product"};
    WriteBytes(app / "update.bin.journal", "earlier run");
    RecordingInstallView view;
    InstallTransaction tx(app / "update.bin.journal", view);
    EXPECT_FALSE(tx.Begin());
    EXPECT_EQ(ReadBytes(app / "update.bin.journal"), "earlier run");
}
