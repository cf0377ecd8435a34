// The installation as one run: its stages in order with their texts and
// progress, the versions written back (and when they are not), and the
// file that changed in the download folder since it was downloaded.
#include "install/update_worker.h"

#include <gtest/gtest.h>

#include <memory>

#include "core/checksum/md5.h"
#include "core/config/config_ini.h"
#include "core/package/package.h"
#include "core/signing/hex_text.h"
#include "install_test_support.h"
#include "win/cng_crypto.h"
#include "install/folder_tree.h"
#include "install/install_recovery.h"
#include "picture_test_support.h"
#include "recording_install_view.h"
#include "transfer_test_support.h"

using namespace quibo;
using namespace transfertest;

namespace {

// A product folder with its package and one old file, a download folder
// with a new file for item file0, and the job that installs it.
class UpdateWorkerTest : public ::testing::Test {
protected:
    void SetUp() override { Prepare("1"); }

    // A fresh product and download folder under `name`, and a fresh job.
    void Prepare(const std::string& name)
    {
        config = UpdateConfig();
        records = DownloadRecords();
        view = std::make_unique<RecordingInstallView>();
        product = scratch / ("product" + name + "\\");
        downloads = scratch / ("downloads" + name + "\\");
        ::CreateDirectoryA(product.c_str(), nullptr);
        ::CreateDirectoryA(downloads.c_str(), nullptr);
        ::CreateDirectoryA((downloads + "file0").c_str(), nullptr);
        ASSERT_TRUE(MakePackage(product + "update.bin",
                                {{"client.dat", "[file0]\r\nver=1.0\r\n[file1]\r\nver=1.0\r\n"}, {"ui.dat", "[UI]\r\n"}}));
        WriteBytes(product + "app.exe", "old program");
        WriteBytes(downloads + "file0\\app.exe", kNew);

        config.client.LoadText(ReadPackageMember(product + "update.bin", "client.dat", ""));
        config.closeProcesses = false;
        UpdateItem& item = config.files[0];
        item.isNew = true;
        item.serverVersion = "2.0";
        item.name = "app.exe";
        item.path = product;
        records.Of(ItemKind::File, 0) = {DownloadRecord{"", "app.exe", "app.exe", 0}};

        job.config = &config;
        job.records = &records;
        job.downloadFolder = downloads;
        job.programFolder = product;
        job.packageName = "update.bin";
    }
    void TearDown() override { DeleteFolderTree(std::string(scratch.Path(), 0, scratch.Path().size() - 1)); }

    std::string ClientText() { return ReadPackageMember(product + "update.bin", "client.dat", ""); }

    const std::string kNew = "new program";
    ScratchDir scratch;
    std::string product, downloads;
    UpdateConfig config;
    DownloadRecords records;
    InstallJob job;
    std::unique_ptr<RecordingInstallView> view;
};

TEST_F(UpdateWorkerTest, StagesComeInOrderWithTheirTextsAndProgress)
{
    ASSERT_EQ(RunInstall(job, *view).end, InstallEnd::Succeeded);
    EXPECT_EQ(ReadBytes(product + "app.exe"), kNew);
    const std::vector<std::string> statuses = {
        "正在关闭相关的应用程序", "开始更新...", "正在备份旧文件...", "正在更新文件...", "更新文件：app.exe",
        "正在更新配置文件", "正在删除备份文件！", "更新完成！"};
    EXPECT_EQ(view->statuses, statuses);
    EXPECT_EQ(view->trayStages,
              (std::vector<std::string>{"正在备份旧文件...", "正在更新文件...", "正在更新配置文件", "正在删除备份文件！",
                                        "更新完成"}));
    EXPECT_EQ(view->progressRange, 60);
    std::vector<int> expected;
    for (int k = 0; k < 20; ++k) expected.push_back(k);
    expected.push_back(20);
    for (int k = 0; k < 10; ++k) expected.push_back(20 + k);
    expected.push_back(30);
    for (int k = 0; k < 20; ++k) expected.push_back(30 + k);
    expected.push_back(50);
    for (int k = 0; k < 10; ++k) expected.push_back(50 + k);
    expected.push_back(60);
    EXPECT_EQ(view->progress, expected);
    EXPECT_FALSE(FileExists(product + "app.exe.ebk"));
    EXPECT_FALSE(FileExists(product + "update.bin.journal"));
}

// The release's sequence is recorded either way, and never lowered.
TEST_F(UpdateWorkerTest, VersionsAreWrittenUnlessThisRunInstallsANewPackage)
{
    struct Case {
        const char* name;
        int packageIndex;
        bool packageItemInRun;
        bool written;
    } const cases[] = {
        {"no package item", -1, false, true},
        // The package was replaced by a self-update earlier: its item is not in this run.
        {"package item not in this run", 1, false, true},
        {"package item installed now", 1, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Prepare(c.name);
        config.packageIndex = c.packageIndex;
        config.release = ReleaseMeta{"Acme", 7, std::nullopt};
        if (c.packageItemInRun) {
            UpdateItem& package = config.files[1];
            package = config.files[0];
            package.name = "data.bin";
            ::CreateDirectoryA((downloads + "file1").c_str(), nullptr);
            WriteBytes(downloads + "file1\\data.bin", "new package");
            records.Of(ItemKind::File, 1) = {DownloadRecord{"", "data.bin", "data.bin", 0}};
        }
        ASSERT_EQ(RunInstall(job, *view).end, InstallEnd::Succeeded);
        CConfigIni client;
        ASSERT_TRUE(client.LoadText(ClientText()));
        EXPECT_EQ(client.GetString("file0", "ver", ""), c.written ? "2.0" : "1.0");
        EXPECT_EQ(client.GetString("system", "sequence", ""), "7");
        EXPECT_EQ(ReadPackageMember(product + "update.bin", "ui.dat", ""), "[UI]\r\n");
    }
    // A package that records a newer release keeps it.
    Prepare("newer recorded");
    config.release = ReleaseMeta{"Acme", 7, std::nullopt};
    ASSERT_TRUE(WritePackageMember("[system]\r\nsequence=9\r\n[file0]\r\nver=1.0\r\n", product + "update.bin",
                                   "client.dat", ""));
    config.client = CConfigIni();
    config.client.LoadText(ClientText());
    ASSERT_EQ(RunInstall(job, *view).end, InstallEnd::Succeeded);
    CConfigIni client;
    ASSERT_TRUE(client.LoadText(ClientText()));
    EXPECT_EQ(client.GetString("system", "sequence", ""), "9");
}

TEST_F(UpdateWorkerTest, AFileChangedSinceItsDownloadIsNeverPlaced)
{
    config.files[0].md5 = Md5HexOf(kNew);
    WriteBytes(downloads + "file0\\app.exe", "changed in the shared folder");
    InstallOutcome outcome = RunInstall(job, *view);
    EXPECT_EQ(outcome.end, InstallEnd::Failed);
    EXPECT_EQ(ReadBytes(product + "app.exe"), "old program");
    EXPECT_FALSE(FileExists(product + "app.exe.ebk"));
    EXPECT_EQ(view->infos, (std::vector<std::string>{"文件：" + product + "app.exe更新失败！"}));
    EXPECT_NE(ClientText().find("ver=1.0"), std::string::npos);
}

// A signed file is proven on the handle the installation then copies from:
// bytes changed in the download folder after the download's check are
// refused, and while the file is held nobody can change, delete or rename it.
std::string Sha256Of(const std::string& bytes)
{
    CngCrypto crypto;
    std::unique_ptr<Sha256Hasher> hasher = crypto.NewSha256();
    if (!hasher) return {};
    hasher->Add(bytes);
    return ToHex(hasher->Finish());
}

TEST_F(UpdateWorkerTest, ASignedFileChangedAfterItsCheckIsNeverPlaced)
{
    const std::string changed = "NEW program";  // the same size
    for (ItemKind kind : {ItemKind::File, ItemKind::Dir}) {
        SCOPED_TRACE(kind == ItemKind::File ? "file" : "dir");
        Prepare(kind == ItemKind::File ? "file" : "dir");
        if (kind == ItemKind::Dir) {
            config.dirs[0] = config.files[0];
            config.files[0] = UpdateItem();
            records.Of(ItemKind::File, 0).clear();
            ::CreateDirectoryA((downloads + "dir0").c_str(), nullptr);
        }
        DownloadRecord record{"", "app.exe", "app.exe", 0, SignedContent{kNew.size(), Sha256Of(kNew)}};
        records.Of(kind, 0) = {record};
        const std::string from = downloads + (kind == ItemKind::File ? "file0\\" : "dir0\\") + "app.exe";
        WriteBytes(from, changed);
        const installtest::Tree before = installtest::Snapshot(product);
        LogCapture log;
        EXPECT_EQ(RunInstall(job, *view).end, InstallEnd::Failed);
        EXPECT_EQ(installtest::Snapshot(product), before);
        EXPECT_NE(log.Text().find("    错误：待更新文件：" + from + "的SHA-256值为：" + Sha256Of(changed) +
                                  "，不等于服务器端配置包中的值" + Sha256Of(kNew) + "！\r\n"),
                  std::string::npos);
        EXPECT_EQ(view->infos, (std::vector<std::string>{"文件：" + product + "app.exe更新失败！"}));
    }
}

TEST_F(UpdateWorkerTest, WhileASignedFileIsCopiedNobodyCanChangeIt)
{
    records.Of(ItemKind::File, 0)[0].content = SignedContent{kNew.size(), Sha256Of(kNew)};
    const std::string from = downloads + "file0\\app.exe";
    FILETIME written{};
    {
        HANDLE file = ::CreateFileA(from.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        SYSTEMTIME old{2001, 2, 0, 3, 4, 5, 6, 0};
        ::SystemTimeToFileTime(&old, &written);
        ::SetFileTime(file, nullptr, nullptr, &written);
        ::CloseHandle(file);
    }
    // Once the journal announces the new file and has not confirmed it, the
    // installation holds the source open.
    struct Tried {
        bool done = false, opened = true, deleted = true, renamed = true;
    } tried;
    const std::string journal = product + "update.bin.journal";
    job.stepHook = [&](int) {
        const std::string text = ReadBytes(journal);
        if (tried.done || text.find("write ") == std::string::npos || text.find("wrote ") != std::string::npos)
            return;
        tried.done = true;
        HANDLE writer = ::CreateFileA(from.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
        tried.opened = writer != INVALID_HANDLE_VALUE;
        if (tried.opened) {
            DWORD put = 0;
            ::WriteFile(writer, "NEW", 3, &put, nullptr);
            ::CloseHandle(writer);
        }
        tried.renamed = ::MoveFileA(from.c_str(), (from + ".moved").c_str()) != FALSE;
        if (tried.renamed) ::MoveFileA((from + ".moved").c_str(), from.c_str());
        tried.deleted = ::DeleteFileA(from.c_str()) != FALSE;
    };
    ASSERT_EQ(RunInstall(job, *view).end, InstallEnd::Succeeded);
    EXPECT_TRUE(tried.done);
    EXPECT_FALSE(tried.opened);
    EXPECT_FALSE(tried.renamed);
    EXPECT_FALSE(tried.deleted);
    EXPECT_EQ(ReadBytes(product + "app.exe"), kNew);
    HANDLE placed = ::CreateFileA((product + "app.exe").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
    FILETIME placedTime{};
    ::GetFileTime(placed, nullptr, nullptr, &placedTime);
    ::CloseHandle(placed);
    EXPECT_EQ(::CompareFileTime(&placedTime, &written), 0);
}

// The programs after a successful installation, and versions that could not
// be written, wait in the journal: a start after a kill runs or writes them.
TEST_F(UpdateWorkerTest, WhatIsLeftAfterTheFilesArePlacedWaitsInTheJournal)
{
    const std::string journal = product + "update.bin.journal";
    config.files[0].runme = true;
    config.files[0].runmeParam = "/S";
    config.system.runUdafters = "after.exe";
    InstallOutcome outcome = RunInstall(job, *view);
    ASSERT_EQ(outcome.end, InstallEnd::Succeeded);
    const std::string text = ReadBytes(journal);
    for (const std::string& record : {"run " + product + "app.exe%20/S 0", std::string("run after.exe 0")})
        EXPECT_NE(text.find(record), std::string::npos) << record << "\n" << text;
    EXPECT_EQ(outcome.pendingJournal, journal);
    ProgramsRan(outcome);
    EXPECT_FALSE(FileExists(journal));

    Prepare("2");
    {
        // Another program holds the package: the versions cannot go in.
        HANDLE held = ::CreateFileA((product + "update.bin").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                                    nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        ASSERT_EQ(RunInstall(job, *view).end, InstallEnd::Succeeded);
        ::CloseHandle(held);
    }
    EXPECT_EQ(ReadBytes(product + "app.exe"), kNew);
    EXPECT_FALSE(FileExists(product + "app.exe.ebk"));
    EXPECT_NE(ReadBytes(product + "update.bin.journal").find("ver file0 2.0"), std::string::npos);
}

}  // namespace

namespace {

// A record that cannot be written (a full disk, a failing device) stops the
// step it announces or confirms: the run is rolled back and the product is
// as it was, whichever record it was. The journal may then miss a step, so
// it stays for the next start, whose recovery changes nothing and ends it.
TEST_F(UpdateWorkerTest, ARecordThatCannotBeWrittenRollsTheRunBack)
{
    const struct {
        const char* name;
        JournalTag record;
    } cases[] = {
        {"the backup is announced", JournalTag::BackupStart},
        {"the new file is announced", JournalTag::Write},
        {"the new file is confirmed", JournalTag::Wrote},
        {"a version is noted", JournalTag::Version},
        {"every file is in place", JournalTag::Placed},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Prepare("fail" + std::to_string(++n));
        job.failRecord = c.record;
        EXPECT_EQ(RunInstall(job, *view).end, InstallEnd::Failed);
        EXPECT_EQ(ReadBytes(product + "app.exe"), "old program");
        EXPECT_FALSE(FileExists(product + "app.exe.ebk"));
        EXPECT_NE(ClientText().find("ver=1.0"), std::string::npos);
        const std::string journal = product + "update.bin.journal";
        if (FileExists(journal)) {
            EXPECT_TRUE(RecoveryAllowsInstall(RecoverInstall(journal, product + "update.bin")));
            EXPECT_FALSE(FileExists(journal));
        }
        EXPECT_EQ(ReadBytes(product + "app.exe"), "old program");
        EXPECT_FALSE(FileExists(product + "app.exe.ebk"));
    }
}

}  // namespace
