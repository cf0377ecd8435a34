// Crash recovery: a small installation is stopped at every one of its steps in
// turn (the step hook throws where the real program would be killed), and the
// recovery at the next start must leave the product exactly as it was before
// the run, or exactly as the finished run would have, with no backup, no
// temporary file and no journal left over.
#include "install/install_recovery.h"

#include <gtest/gtest.h>

#include <string>

#include "../native/zip_test_support.h"
#include "core/config/config_ini.h"
#include "core/install/install_journal.h"
#include "core/package/package.h"
#include "install/archive_extract.h"
#include "install/install_transaction.h"
#include "install_test_support.h"

using namespace quibo;
using namespace installtest;
using transfertest::FileExists;
using transfertest::LogCapture;
using transfertest::ReadBytes;
using transfertest::WriteBytes;

namespace {

struct Stop {};

const char kClient[] = "[file0]\r\nver=1.0\r\n[dir0]\r\nver=1.0\r\n";

const Tree kBefore = {
    {"main.exe", "old main"},
    {"empty.ini", ""},
    {"keep.dat", "old keep"},
    {"other.txt", "not in the update"},
};

// The product after the run, apart from its configuration package.
const Tree kAfter = {
    {"main.exe", "new main"},  {"empty.ini", "new ini"},    {"keep.dat", "zipped keep"},
    {"new.txt", "new text"},   {"sub", kFolder},            {"sub\\a.txt", "zipped a"},
    {"sub\\deeper", kFolder},  {"other.txt", "not in the update"},
};

std::string ClientText(const std::string& package) { return ReadPackageMember(package, "client.dat", ""); }

// The product folder with its package "update.bin", and the downloads.
struct Product {
    Product()
    {
        MakeTree(app.Path(), kBefore);
        WriteBytes(package, ziptest::EmptyArchive());
        EXPECT_TRUE(WritePackageMember(kClient, package, "client.dat", ""));
        const Tree downloads = {
            {"main.exe", "new main"},
            {"empty.ini", "new ini"},
            {"new.txt", "new text"},
            {"pack.zip", ziptest::StoredArchive({{"sub/", ""},
                                                 {"sub/a.txt", "zipped a"},
                                                 {"keep.dat", "zipped keep"},
                                                 {"sub/deeper/", ""}})},
        };
        MakeTree(dl.Path(), downloads);
        packageBytes = ReadBytes(package);
    }

    // The update worker's order: back up, copy in, unpack, versions, placed,
    // write-back, delete the backups. True when it ran to the end.
    bool Install(const std::function<void(int)>& hook)
    {
        RecordingInstallView view;
        InstallTransaction tx(InstallJournalPath(package), view, hook);
        try {
            if (!tx.Begin()) return false;
            const std::string& d = app.Path();
            for (const char* name : {"main.exe", "empty.ini", "new.txt"})
                if (tx.Backup(d + name) == InstallTransaction::BackupResult::Failed) return false;
            for (const char* name : {"main.exe", "new.txt", "empty.ini", "pack.zip"})
                if (!tx.CopyIn(dl / name, d + name)) return false;
            if (!ExtractArchive(d + "pack.zip", d, tx, view)) return false;
            ::DeleteFileA((d + "pack.zip").c_str());
            if (!tx.Forget(d + "pack.zip") || !tx.RecordVersion("file0", "2.0") || !tx.RecordVersion("dir0", "5.1") ||
                !tx.MarkPlaced())
                return false;
            CConfigIni client;
            client.LoadText(ClientText(package));
            client.WriteString("file0", "ver", "2.0");
            client.WriteString("dir0", "ver", "5.1");
            WritePackageMember(client.ToText(), package, "client.dat", "");
            tx.DeleteBackups();
            tx.End();
            return true;
        } catch (const Stop&) {
            return false;
        }
    }

    Tree Files() const
    {
        Tree tree = Snapshot(app.Path());
        tree.erase("update.bin");
        return tree;
    }

    Scratch app{"product"};
    Scratch dl{"downloads"};
    const std::string package = app / "update.bin";
    std::string packageBytes;
};

std::function<void(int)> StopAt(int n)
{
    return [n](int step) {
        if (step == n) throw Stop{};
    };
}

// The product is in one of the two states, and nothing of the run is left.
void ExpectWholeState(const Product& p, RecoveryOutcome outcome)
{
    EXPECT_FALSE(FileExists(InstallJournalPath(p.package)));
    if (outcome == RecoveryOutcome::Finished) {
        EXPECT_EQ(Show(p.Files()), Show(kAfter));
        CConfigIni client;
        client.LoadText(ClientText(p.package));
        EXPECT_EQ(client.GetString("file0", "ver"), "2.0");
        EXPECT_EQ(client.GetString("dir0", "ver"), "5.1");
    } else {
        EXPECT_EQ(Show(p.Files()), Show(kBefore));
        EXPECT_TRUE(ReadBytes(p.package) == p.packageBytes);
    }
}

}  // namespace

TEST(InstallRecovery, TheInstallationRunsThroughWithoutAStop)
{
    Product p;
    ASSERT_TRUE(p.Install({}));
    ExpectWholeState(p, RecoveryOutcome::Finished);
}

TEST(InstallRecovery, StoppedAtAnyStepTheProductIsWholeAfterRecovery)
{
    int rolledBack = 0, finished = 0;
    for (int n = 1;; ++n) {
        SCOPED_TRACE("stopped at step " + std::to_string(n));
        Product p;
        if (p.Install(StopAt(n))) break;  // no step n: the run completed
        LogCapture log;
        const RecoveryOutcome outcome = RecoverInstall(InstallJournalPath(p.package), p.package);
        ASSERT_NE(outcome, RecoveryOutcome::Unreadable);
        (outcome == RecoveryOutcome::Finished ? finished : rolledBack)++;
        ExpectWholeState(p, outcome);
        if (::testing::Test::HasFailure()) {
            ADD_FAILURE() << log.Text();
            break;
        }
    }
    // Both kinds of recovery were met.
    EXPECT_GT(rolledBack, 0);
    EXPECT_GT(finished, 0);
}

// A recovery can be cut short too (a second crash): run again, it still ends
// in one whole state.
TEST(InstallRecovery, ARecoveryStoppedHalfWayCanBeRunAgain)
{
    for (int n = 1;; n += 3) {
        Product probe;
        if (probe.Install(StopAt(n))) break;
        for (int m = 1;; ++m) {
            SCOPED_TRACE("install stopped at " + std::to_string(n) + ", recovery at " + std::to_string(m));
            Product p;
            ASSERT_FALSE(p.Install(StopAt(n)));
            const std::string journal = InstallJournalPath(p.package);
            bool stopped = false;
            RecoveryOutcome outcome = RecoveryOutcome::NoJournal;
            try {
                outcome = RecoverInstall(journal, p.package, StopAt(m));
            } catch (const Stop&) {
                stopped = true;
            }
            if (stopped) outcome = RecoverInstall(journal, p.package);
            ExpectWholeState(p, outcome);
            if (!stopped || ::testing::Test::HasFailure()) break;
        }
        if (::testing::Test::HasFailure()) break;
    }
}

TEST(InstallRecovery, UnreadableJournalIsKeptAsideAndNothingIsTouched)
{
    Product p;
    const std::string journal = InstallJournalPath(p.package);
    // A journal whose second line was damaged: acting on it could delete the product.
    WriteBytes(journal, JournalHeader() + "deadbeef write " + p.app / "main.exe" + "\n" +
                            JournalLine({JournalTag::Placed, "", ""}));
    LogCapture log;
    EXPECT_EQ(RecoverInstall(journal, p.package), RecoveryOutcome::Unreadable);
    EXPECT_FALSE(FileExists(journal));
    EXPECT_TRUE(FileExists(journal + ".bad"));
    ::DeleteFileA((journal + ".bad").c_str());
    EXPECT_EQ(Show(p.Files()), Show(kBefore));
    const std::string text = log.Text();
    EXPECT_NE(text.find("更新记录文件：" + journal + "无法识别（line 2: damaged），未做任何恢复，已改名为：" +
                        journal + ".bad！"),
              std::string::npos)
        << text;
    // While the journal kept aside is there, every start refuses to install.
    WriteBytes(journal + ".bad", "kept for a person");
    for (int start = 0; start < 2; ++start) EXPECT_EQ(RecoverInstall(journal, p.package), RecoveryOutcome::Unreadable);
    EXPECT_NE(log.Text().find("更新记录文件：" + journal + ".bad无法识别，需要人工检查，在此之前不进行更新！"),
              std::string::npos);
    ::DeleteFileA((journal + ".bad").c_str());
    EXPECT_EQ(RecoverInstall(journal, p.package), RecoveryOutcome::NoJournal);
}

namespace {

// The run stopped just after main.exe was copied in over its backup.
void StopAfterMainIsNew(Product& p)
{
    for (int n = 1;; ++n) {
        Product probe;
        probe.Install(StopAt(n));
        if (ReadBytes(probe.app / "main.exe") != "new main") continue;
        ASSERT_FALSE(p.Install(StopAt(n)));
        return;
    }
}

}  // namespace

// A backup that cannot be copied back leaves the new file rather than none,
// and the journal stays with every backup it needs until a later start
// completes the recovery.
TEST(InstallRecovery, AMissingBackupKeepsTheNewFileAndTheJournal)
{
    Product p;
    StopAfterMainIsNew(p);
    const std::string journal = InstallJournalPath(p.package);
    const std::string backup = p.app / "main.exe.ebk";
    ASSERT_TRUE(::MoveFileA(backup.c_str(), (p.dl / "aside").c_str()));
    LogCapture log;
    for (int start = 0; start < 2; ++start) {
        EXPECT_EQ(RecoverInstall(journal, p.package), RecoveryOutcome::Incomplete);
        EXPECT_EQ(ReadBytes(p.app / "main.exe"), "new main");
        EXPECT_TRUE(FileExists(journal));
    }
    EXPECT_NE(log.Text().find("错误：备份文件：" + backup + "不存在，文件：" + p.app / "main.exe" + "保留为新文件！"),
              std::string::npos);
    ASSERT_TRUE(::MoveFileA((p.dl / "aside").c_str(), backup.c_str()));
    EXPECT_EQ(RecoverInstall(journal, p.package), RecoveryOutcome::RolledBack);
    ExpectWholeState(p, RecoveryOutcome::RolledBack);
}

// Files the run wrote read-only are restored and deleted all the same.
TEST(InstallRecovery, ReadOnlyFilesOfTheRunAreUndone)
{
    Product p;
    StopAfterMainIsNew(p);
    for (const char* name : {"main.exe", "new.txt", "empty.ini"})
        ::SetFileAttributesA((p.app / name).c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(RecoverInstall(InstallJournalPath(p.package), p.package), RecoveryOutcome::RolledBack);
    ExpectWholeState(p, RecoveryOutcome::RolledBack);
}

// Versions that cannot be written stay in the journal for the next start.
TEST(InstallRecovery, VersionsThatCannotBeWrittenWaitInTheJournal)
{
    Product p;
    const std::string journal = InstallJournalPath(p.package);
    WriteBytes(journal, JournalHeader() + JournalLine({JournalTag::Version, "file0", "2.0"}) +
                            JournalLine({JournalTag::Sequence, "12", ""}) + JournalLine({JournalTag::Placed, "", ""}));
    FileLock lock(p.package);  // another program holds the package
    ASSERT_TRUE(lock.Held());
    EXPECT_EQ(RecoverInstall(journal, p.package), RecoveryOutcome::Incomplete);
    EXPECT_TRUE(FileExists(journal));
    lock.Release();
    EXPECT_EQ(RecoverInstall(journal, p.package), RecoveryOutcome::Finished);
    EXPECT_FALSE(FileExists(journal));
    CConfigIni client;
    client.LoadText(ClientText(p.package));
    EXPECT_EQ(client.GetString("file0", "ver"), "2.0");
    EXPECT_EQ(client.GetString("system", "sequence"), "12");
}

// The programs a finished run had still to start are started by the recovery.
TEST(InstallRecovery, ProgramsLeftByAFinishedRunAreRun)
{
    Product p;
    const std::string journal = InstallJournalPath(p.package);
    const std::string marker = p.app / "ran.txt";
    const std::string command = "cmd.exe /c echo ran>\"" + marker + "\"";
    WriteBytes(journal, JournalHeader() + JournalLine({JournalTag::Run, command, "1"}) +
                            JournalLine({JournalTag::Placed, "", ""}));
    EXPECT_EQ(RecoverInstall(journal, p.package), RecoveryOutcome::Finished);
    EXPECT_TRUE(FileExists(marker));
    EXPECT_FALSE(FileExists(journal));
}

// A damaged line among the records written after the last flush: the records
// before it are the journal, and the recovery goes on from them.
TEST(InstallRecovery, DamageInTheUnflushedTailIsLetGo)
{
    Product p;
    StopAfterMainIsNew(p);
    const std::string journal = InstallJournalPath(p.package);
    WriteBytes(journal, ReadBytes(journal) + "deadbeef wrote " + p.app / "main.exe" + "\n" +
                            JournalLine({JournalTag::Version, "file0", "2.0"}));
    LogCapture log;
    EXPECT_EQ(RecoverInstall(journal, p.package), RecoveryOutcome::RolledBack);
    ExpectWholeState(p, RecoveryOutcome::RolledBack);
    EXPECT_NE(log.Text().find("末尾有2行未写完整"), std::string::npos) << log.Text();
}

TEST(InstallRecovery, EveryActionIsLogged)
{
    Product p;
    // Stopped just after the first file was copied in over its backup.
    int stopAt = 0;
    for (int n = 1; stopAt == 0; ++n) {
        Product probe;
        probe.Install(StopAt(n));
        if (ReadBytes(probe.app / "main.exe") == "new main") stopAt = n;
    }
    ASSERT_FALSE(p.Install(StopAt(stopAt)));
    LogCapture log;
    ASSERT_EQ(RecoverInstall(InstallJournalPath(p.package), p.package), RecoveryOutcome::RolledBack);
    const std::string& d = p.app.Path();
    const std::string journal = InstallJournalPath(p.package);
    EXPECT_EQ(LogLines(log.Text()), (std::vector<std::string>{
                                        "发现未完成的更新，正在恢复更新前状态……",
                                        "文件：" + d + "main.exe恢复成功！",
                                        "备份文件：" + d + "main.exe.ebk删除成功！",
                                        "已恢复更新前状态，删除更新记录文件：" + journal,
                                    }));
    ExpectWholeState(p, RecoveryOutcome::RolledBack);
}

namespace {

// A program that holds `held` open with no sharing at all, as a running
// product holds its own files; ended by its handle when the test is over.
class Holder {
public:
    Holder(const std::string& folder, const std::string& name, const std::string& held)
    {
        char self[MAX_PATH] = {};
        ::GetModuleFileNameA(nullptr, self, MAX_PATH);
        std::string source(self);
        source = source.substr(0, source.find_last_of('\\') + 1) + "close_target.exe";
        const std::string program = folder + name;
        const std::string marker = folder + name + ".ready";
        ::CopyFileA(source.c_str(), program.c_str(), FALSE);
        std::string line = "\"" + program + "\" \"marker=" + marker + "\" \"hold=" + held + "\"";
        STARTUPINFOA si = {sizeof si};
        PROCESS_INFORMATION pi = {};
        if (!::CreateProcessA(program.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
            return;
        ::CloseHandle(pi.hThread);
        process_ = pi.hProcess;
        transfertest::WaitFor([&] { return FileExists(marker) || Ended(); });
    }
    ~Holder()
    {
        if (!process_) return;
        ::TerminateProcess(process_, 99);
        ::WaitForSingleObject(process_, 5000);
        ::CloseHandle(process_);
    }
    Holder(const Holder&) = delete;
    Holder& operator=(const Holder&) = delete;

    bool Ended(DWORD ms = 0) const { return process_ && ::WaitForSingleObject(process_, ms) == WAIT_OBJECT_0; }
    bool Running() const { return process_ && !Ended(); }

private:
    HANDLE process_ = nullptr;
};

}  // namespace

// The product runs again when the next start finds the journal, and holds a
// file the run replaced: the recovery closes what the run had closed (with
// its warning) before it restores; without that record the held file cannot
// be restored, and the journal stays.
TEST(InstallRecovery, WhatTheRunClosedIsClosedAgainFirst)
{
    for (bool recorded : {true, false}) {
        SCOPED_TRACE(recorded ? "recorded" : "not recorded");
        Product p;
        StopAfterMainIsNew(p);
        const std::string journal = InstallJournalPath(p.package);
        const std::string name = "holder" + std::to_string(::GetCurrentProcessId()) + ".exe";
        if (recorded)
            WriteBytes(journal, ReadBytes(journal) + JournalLine({JournalTag::CloseExe, name, ""}) +
                                    JournalLine({JournalTag::Warn, "请先关闭程序", ""}));
        Holder holder(p.dl.Path(), name, p.app / "main.exe");
        ASSERT_TRUE(holder.Running());
        RecordingInstallView view;
        const RecoveryOutcome outcome = RecoverInstall(journal, p.package, {}, &view);
        if (recorded) {
            EXPECT_EQ(outcome, RecoveryOutcome::RolledBack);
            EXPECT_TRUE(holder.Ended(5000));
            EXPECT_EQ(view.boxes, std::vector<std::string>{"请先关闭程序"});
            ExpectWholeState(p, outcome);
        } else {
            EXPECT_EQ(outcome, RecoveryOutcome::Incomplete);
            EXPECT_TRUE(holder.Running());
            EXPECT_TRUE(FileExists(journal));
            EXPECT_TRUE(FileExists(p.app / "main.exe.ebk"));
        }
    }
}
