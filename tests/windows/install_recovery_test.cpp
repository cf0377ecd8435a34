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
            tx.Forget(d + "pack.zip");
            tx.RecordVersion("file0", "2.0");
            tx.RecordVersion("dir0", "5.1");
            tx.MarkPlaced();
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
    EXPECT_EQ(RecoverInstall(journal, p.package), RecoveryOutcome::NoJournal);
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
                                        "新文件：" + d + "main.exe删除成功！",
                                        "文件：" + d + "main.exe恢复成功！",
                                        "备份文件：" + d + "main.exe.ebk删除成功！",
                                        "已恢复更新前状态，删除更新记录文件：" + journal,
                                    }));
    ExpectWholeState(p, RecoveryOutcome::RolledBack);
}
