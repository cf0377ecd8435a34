// The download worker against the local test servers: a whole run of files
// and folders with the host's 2022 values, verification, names from outside
// that must stay in their item's folder, files left by earlier attempts, cut
// bodies, stop, and the updater's own download.
#include "download/download_worker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cctype>
#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <thread>

#include "core/checksum/file_md5.h"
#include "core/checksum/md5.h"
#include "core/package/package.h"
#include "core/signing/hex_text.h"
#include "core/text/case_fold.h"
#include "core/transfer/signed_content.h"
#include "download/local_listing.h"
#include "win/folder_path.h"
#include "win/cng_crypto.h"
#include "win/scoped_handle.h"
#include "ftp_test_support.h"
#include "install_test_support.h"
#include "recording_view.h"

using namespace quibo;
using namespace ftptest;

namespace {

class WorkerView : public DownloadView {
public:
    void SetFileProgress(int) override {}
    // Rows from `firstFolderRow` on are folder rows.
    bool IsFolderRow(int row) override { return row >= firstFolderRow; }
    void AppendToRowName(int, const std::string&) override {}
    void SetRowProgress(int row, int percent) override { Add(rowProgress[row], percent); }
    void SetRowSpeed(int, const std::string&) override {}
    void SetInfoText(const std::string&) override {}
    void SetTrayText(const std::string&) override {}
    void SetStatus(const std::string& text) override
    {
        std::lock_guard<std::mutex> lock(m_);
        statuses.push_back(text);
    }
    void SetTotalRange(int maximum) override { totalRange = maximum; }
    void SetTotalProgress(int value) override { Add(total, value); }
    void SetFileRange(int) override {}
    void ItemDone(int row) override { Add(doneRows, row); }
    void SetTrayTip(const std::string& text) override { trayTip = text; }
    void ShowInfo(const std::string& text) override { boxes.push_back(text); }

    int Count(const std::string& status)
    {
        std::lock_guard<std::mutex> lock(m_);
        int n = 0;
        for (const std::string& s : statuses) n += s == status;
        return n;
    }

    std::map<int, std::vector<int>> rowProgress;
    std::vector<std::string> statuses, boxes;
    std::vector<int> total, doneRows;
    int totalRange = -1;
    int firstFolderRow = 1000;
    std::string trayTip;

private:
    void Add(std::vector<int>& list, int value)
    {
        std::lock_guard<std::mutex> lock(m_);
        list.push_back(value);
    }
    std::mutex m_;
};

std::string Md5Of(const std::string& bytes) { return Md5HexOf(bytes); }

std::string Sha256Of(const std::string& bytes)
{
    CngCrypto crypto;
    std::unique_ptr<Sha256Hasher> hasher = crypto.NewSha256();
    EXPECT_TRUE(hasher);
    if (!hasher) return {};
    hasher->Add(bytes);
    return ToHex(hasher->Finish());
}

using installtest::MakeTree;
using installtest::Tree;

std::string ToSlashes(std::string path)
{
    for (char& c : path)
        if (c == '\\') c = '/';
    return path;
}

void Sign(UpdateItem& item, const std::string& bytes)
{
    item.sha256 = Sha256Of(bytes);
    item.size = bytes.size();
}


UpdateItem NewItem(std::vector<std::string> urls, const std::string& name = "")
{
    UpdateItem item;
    item.isNew = true;
    for (const std::string& url : urls) item.addresses.push_back({url, kUser, kPassword});
    item.name = name;
    return item;
}

// Everything below `folder`, as "relative path" -> bytes.
void Collect(const std::string& folder, const std::string& prefix, std::map<std::string, std::string>& out)
{
    WIN32_FIND_DATAA found;
    HANDLE find = ::FindFirstFileA((folder + "\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            Collect(folder + "\\" + name, prefix + name + "\\", out);
        else
            out[prefix + name] = ReadBytes(folder + "\\" + name);
    } while (::FindNextFileA(find, &found));
    ::FindClose(find);
}

class DownloadWorkerTest : public ::testing::Test {
protected:
    DownloadWorkerTest()
    {
        job.config = &config;
        job.downloadFolder = base + "dl\\";
        job.windowTitle = "Quibo";
        job.hostWindow = host.Handle();
        job.httpLimits = kQuickHttp;
        job.ftpLimits = kQuickFtp;
        ::CreateDirectoryA(base.c_str(), nullptr);
    }
    ~DownloadWorkerTest() override { RemoveTree(base.substr(0, base.size() - 1)); }

    DownloadEnd Run() { return RunDownloads(job, control, view, records); }
    std::string Http(const std::string& name) const { return std::string(kHttp) + name; }
    std::vector<LPARAM> Items(WPARAM expectedW)
    {
        std::vector<LPARAM> values;
        for (const auto& m : host.Take(2022, 2022)) {
            EXPECT_EQ(m.wParam, expectedW);
            values.push_back(m.lParam);
        }
        return values;
    }
    std::map<std::string, std::string> Everything()
    {
        std::map<std::string, std::string> out;
        Collect(base.substr(0, base.size() - 1), "", out);
        return out;
    }

    ScratchDir scratch;
    std::string base = scratch / "worker\\";
    UpdateConfig config;
    DownloadJob job{};
    HostWindow host;
    TransferControl control;
    WorkerView view;
    DownloadRecords records;
};

}  // namespace

TEST_F(DownloadWorkerTest, EveryNewItemArrivesWithTheHostKeptInformed)
{
    const std::string one = PatternBytes(70000), two = NoiseBytes(50000);
    ServedFile servedOne("worker_one.bin", one), servedTwo("worker_two.bin", two);
    FtpTree tree("worker_tree");
    tree.Put("a.dll", "A");
    tree.Put("skip.txt", "S");
    tree.Put("sub/b.dll", "BB");
    tree.Put("sub/deep/c.dll", "CCC");
    tree.Put("sub/deep/d.DLL", "DDDD");
    // A local folder whose two files would flatten to one name if the
    // folder's "." and the join's "." were alike.
    const std::string local = base + "src";
    ::CreateDirectoryA(local.c_str(), nullptr);
    ::CreateDirectoryA((local + "\\a.b").c_str(), nullptr);
    ::CreateDirectoryA((local + "\\a").c_str(), nullptr);
    WriteBytes(local + "\\a.b\\c", "first");
    WriteBytes(local + "\\a\\b.c", "second");

    config.files[0] = NewItem({std::string(kOdd) + "status/404", Http("worker_one.bin")}, "one.bin");
    config.files[3] = NewItem({Http("worker_two.bin")}, "two.bin");
    config.files[3].md5 = Md5Of(two);
    config.dirs[1] = NewItem({kBaseUrlText + tree.Remote()});
    config.dirs[1].filter = "*.dll";
    config.dirs[1].isIncSubdir = true;
    config.dirs[4] = NewItem({"file:///" + local});
    config.dirs[4].isIncSubdir = true;

    view.firstFolderRow = 2;
    ASSERT_EQ(Run(), DownloadEnd::Done);
    const std::string dl = job.downloadFolder;
    EXPECT_EQ(ReadBytes(dl + "file0\\one.bin"), one);
    EXPECT_EQ(ReadBytes(dl + "file3\\two.bin"), two);
    // Nothing about the first, missing address in the status lines.
    for (const std::string& s : view.statuses) EXPECT_EQ(s.find("不存在"), std::string::npos) << s;

    std::map<std::string, std::string> ftpFiles;
    for (const DownloadRecord& r : records.Of(ItemKind::Dir, 1))
        ftpFiles[r.subfolder + "|" + r.targetName] = ReadBytes(dl + "dir1\\" + r.tempName);
    const std::map<std::string, std::string> expectedFtp = {
        {"|a.dll", "A"}, {"sub|b.dll", "BB"}, {"sub/deep|c.dll", "CCC"}, {"sub/deep|d.DLL", "DDDD"}};
    EXPECT_EQ(ftpFiles, expectedFtp);
    std::map<std::string, std::string> localFiles;
    for (const DownloadRecord& r : records.Of(ItemKind::Dir, 4))
        localFiles[r.subfolder + "|" + r.targetName] = ReadBytes(dl + "dir4\\" + r.tempName);
    const std::map<std::string, std::string> expectedLocal = {{"a.b|c", "first"}, {"a|b.c", "second"}};
    EXPECT_EQ(localFiles, expectedLocal);

    EXPECT_EQ(Items(400), (std::vector<LPARAM>{100, 200, 225, 250, 275, 300, 300, 350, 400, 400}));
    EXPECT_EQ(view.rowProgress[2], (std::vector<int>{0, 25, 50, 75, 100}));
    EXPECT_EQ(view.doneRows, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(view.totalRange, 400);
    EXPECT_EQ(view.total.back(), 400);
    EXPECT_EQ(view.statuses.back(), "下载完成！");
    EXPECT_EQ(view.trayTip, "Quibo\n下载完成！");
    EXPECT_EQ(view.Count("MD5验证成功!"), 1);
    EXPECT_TRUE(config.files[0].addresses.empty());  // every address was used up
}

TEST_F(DownloadWorkerTest, AWrongMd5IsFetchedFromEveryAddressThenFails)
{
    ServedFile served("worker_md5.bin", PatternBytes(1000));
    config.files[0] = NewItem({Http("worker_md5.bin"), Http("worker_md5.bin")}, "md5.bin");
    config.files[0].md5 = std::string(32, '0');
    ASSERT_EQ(Run(), DownloadEnd::Failed);
    EXPECT_EQ(view.Count("正在验证文件的完整性..."), 2);
    ASSERT_GE(view.statuses.size(), 2u);
    EXPECT_EQ(view.statuses[view.statuses.size() - 2],
              "已下载文件：md5.bin的MD5值为：" + Md5Of(PatternBytes(1000)));
    EXPECT_EQ(view.statuses.back(), "不等于服务器中原始文件的MD5=" + config.files[0].md5 + "－－MD5验证错误，退出!");
    EXPECT_FALSE(FileExists(job.downloadFolder + "file0\\md5.bin"));
    EXPECT_TRUE(view.doneRows.empty());
}

TEST_F(DownloadWorkerTest, NamesFromOutsideNeverLeaveTheItemFolder)
{
    ServedFile served("worker_name.bin", "payload");
    for (const std::string name : {"..\\..\\x.exe", "../x.exe", "CON", "nul.txt", "a:b", "", "a*b", "x."}) {
        SCOPED_TRACE(name);
        config = UpdateConfig();
        config.files[0] = NewItem({Http("worker_name.bin")}, name);
        LogCapture nameLog;
        EXPECT_EQ(Run(), DownloadEnd::Failed);
        EXPECT_NE(nameLog.Text().find("拒绝下载"), std::string::npos);
        EXPECT_EQ(view.statuses.back(), "文件下载失败!");
    }
    // A listing that names a device, in a file or in a subfolder.
    for (const std::string entry : {"CON", "aux/ok.dll", "com1.dll"}) {
        SCOPED_TRACE(entry);
        FtpTree tree("worker_hostile");
        tree.Put("fine.dll", "f");
        // Windows makes no file of a device's name; Wine's own path form does.
        std::string unixFolder = ToBackslashes(FtpDir().substr(2) + "worker_hostile");
        std::string unixPath = "\\\\?\\unix" + unixFolder + "\\" + ToBackslashes(entry);
        if (entry.find('/') != std::string::npos)
            ::CreateDirectoryA(unixPath.substr(0, unixPath.rfind('\\')).c_str(), nullptr);
        WriteBytes(unixPath, "evil");
        config = UpdateConfig();
        config.dirs[0] = NewItem({kBaseUrlText + tree.Remote()});
        config.dirs[0].isIncSubdir = true;
        LogCapture entryLog;
        EXPECT_EQ(Run(), DownloadEnd::Failed);
        EXPECT_TRUE(records.Of(ItemKind::Dir, 0).empty());
        EXPECT_NE(entryLog.Text().find("拒绝下载"), std::string::npos);
    }
    // Nothing at all was written, inside the items' folders or out of them.
    for (const auto& [path, bytes] : Everything()) ADD_FAILURE() << path;
}

TEST_F(DownloadWorkerTest, AFileLeftBehindIsKeptOnlyWhenItsMd5Matches)
{
    const std::string fresh = PatternBytes(4000);
    ServedFile served("worker_same.bin", fresh);
    const std::string stale(4000, 'x');  // the announced size, other bytes
    const std::string folder = job.downloadFolder + "file0\\";
    CreateFolderPath(folder);
    WriteBytes(folder + "same.bin", stale);
    WriteBytes(folder + "leftover.tmp", "old");
    config.files[0] = NewItem({Http("worker_same.bin")}, "same.bin");
    ASSERT_EQ(Run(), DownloadEnd::Done);
    EXPECT_EQ(ReadBytes(folder + "same.bin"), fresh);
    EXPECT_FALSE(FileExists(folder + "leftover.tmp"));

    // With a matching md5 the file stays and no address is needed.
    config.files[0] = NewItem({kClosed}, "same.bin");
    config.files[0].md5 = Md5Of(fresh);
    ASSERT_EQ(Run(), DownloadEnd::Done);
    EXPECT_EQ(ReadBytes(folder + "same.bin"), fresh);
}

TEST_F(DownloadWorkerTest, AnUnreadableFileNeverMatchesAnMd5)
{
    std::string digest = "x";
    // The digest of no bytes at all must not stand for a file that is missing.
    EXPECT_FALSE(Md5Matches(base + "missing.bin", Md5Of(""), digest));
    EXPECT_EQ(digest, "");
    WriteBytes(base + "empty.bin", "");
    std::string upper = Md5Of("");
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_TRUE(Md5Matches(base + "empty.bin", upper, digest));
    EXPECT_TRUE(Md5Matches(base + "empty.bin", Md5Of(""), digest));
}

TEST_F(DownloadWorkerTest, ABodyCutShortIsNeverAVerifiedFile)
{
    const std::string cut = std::string(kOdd) + "cut?size=200000";
    const std::string reset = std::string(kOdd) + "reset?size=200000";
    config.files[0] = NewItem({cut, reset}, "cut.bin");
    ASSERT_EQ(Run(), DownloadEnd::Failed);
    EXPECT_EQ(view.statuses.back(), "文件下载失败!");

    // The next address of the same size is fetched, not taken from the half.
    ServedFile served("worker_whole.bin", PatternBytes(200000));
    config.files[0] = NewItem({cut, Http("worker_whole.bin")}, "cut.bin");
    ASSERT_EQ(Run(), DownloadEnd::Done);
    EXPECT_EQ(ReadBytes(job.downloadFolder + "file0\\cut.bin"), PatternBytes(200000));
}

TEST_F(DownloadWorkerTest, AnMd5ItemGoesOnFromWhereItsDownloadBrokeOff)
{
    constexpr size_t kSize = 200000, kHalf = kSize / 2;
    const std::string whole = PatternBytes(kSize), half = whole.substr(0, kHalf);
    const std::string size = std::to_string(kSize);
    const std::string local = job.downloadFolder + "file0\\resume.bin";
    const struct {
        const char* what;
        // "nginx" for the served file, "cut" for a connection closed half way,
        // else a mode of the odd server's /range.
        std::vector<std::string> servers;
        std::string left;  // the item's file from an earlier run
        bool md5;
        std::string logLine;  // empty: no line about continuing at all
        // What the odd server was asked, in order ("-": no range). A file
        // with bytes to go on from is asked for by its range alone.
        std::string ranges;
        std::vector<long long> nginxParts;  // body sizes of nginx's 206 answers
        bool signedItem = false;            // a SHA-256 and size instead of the md5
    } cases[] = {
        {"nginx sends the rest", {"nginx"}, half, true, "断点续传：从第100000字节继续下载", "", {kSize - kHalf}},
        {"server ignores the range", {"ignore"}, half, true, "服务器不支持断点续传，重新下载。",
         "bytes=100000-", {}},
        {"local file longer than the server's", {"nginx"}, whole + "tail", true,
         "无法从第200004字节续传，重新下载。", "", {}},
        {"piece from elsewhere in the file", {"shifted"}, half, true, "无法从第100000字节续传，重新下载。",
         "bytes=100000-,-", {}},
        {"old bytes that are wrong", {"nginx"}, std::string(kHalf, 'x'), true,
         "续传的文件MD5验证失败，重新下载。", "", {kSize - kHalf}},
        {"cut, then the next address", {"cut", "honour"}, "", true, "断点续传：从第100000字节继续下载",
         "bytes=100000-", {}},
        {"no md5: never continued", {"nginx"}, half, false, "", "", {}},
        {"signed, sends the rest", {"nginx"}, half, false, "断点续传：从第100000字节继续下载", "", {kSize - kHalf},
         true},
        {"signed, old bytes that are wrong", {"nginx"}, std::string(kHalf, 'x'), false,
         "续传的文件SHA-256验证失败，重新下载。", "", {kSize - kHalf}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string id = UniqueName("resume");
        ServedFile served(id + ".bin", whole);
        config = UpdateConfig();
        config.files[0] = NewItem({}, "resume.bin");
        for (const std::string& server : c.servers) {
            std::string url = server == "nginx" ? Http(id + ".bin")
                              : server == "cut" ? std::string(kOdd) + "cut?size=" + size
                                                : std::string(kOdd) + "range?size=" + size + "&mode=" + server +
                                                      "&id=" + id;
            config.files[0].addresses.push_back({url, "", ""});
        }
        if (c.md5) config.files[0].md5 = Md5Of(whole);
        if (c.signedItem) Sign(config.files[0], whole);
        CreateFolderPath(job.downloadFolder + "file0\\");
        if (!c.left.empty()) WriteBytes(local, c.left);
        WriteBytes(job.downloadFolder + "file0\\other.tmp", "old");  // never kept
        view.statuses.clear();
        LogCapture log;

        ASSERT_EQ(Run(), DownloadEnd::Done);
        EXPECT_TRUE(ReadBytes(local) == whole);
        EXPECT_FALSE(FileExists(job.downloadFolder + "file0\\other.tmp"));
        const std::string text = log.Text();
        if (c.logLine.empty()) {
            EXPECT_EQ(text.find("续传"), std::string::npos) << text;
        } else {
            EXPECT_NE(text.find("    " + c.logLine + "\r\n"), std::string::npos) << text;
        }
        EXPECT_EQ(view.Count("MD5验证成功!"), c.md5 ? 1 : 0);
        EXPECT_EQ(FetchText(std::string(kOdd) + "ranges?id=" + id), c.ranges);
        // nginx logs an answer once it is sent, which may be just after the
        // client has it all.
        WaitFor([&] { return NginxBodySizes(id + ".bin", 206).size() >= c.nginxParts.size(); }, 2);
        EXPECT_EQ(NginxBodySizes(id + ".bin", 206), c.nginxParts);
        RemoveTree(job.downloadFolder.substr(0, job.downloadFolder.size() - 1));
    }
}

TEST_F(DownloadWorkerTest, TheProgressOfAContinuedFileStartsWhereItsBytesEnd)
{
    const std::string whole = PatternBytes(400000);
    const std::string id = UniqueName("resume_progress");
    ServedFile served(id + ".bin", whole);
    CreateFolderPath(job.downloadFolder + "file0\\");
    WriteBytes(job.downloadFolder + "file0\\p.bin", whole.substr(0, 300000));
    config.files[0] = NewItem({Http(id + ".bin")}, "p.bin");
    config.files[0].md5 = Md5Of(whole);
    control.hostWindow = host.Handle();
    ASSERT_EQ(Run(), DownloadEnd::Done);

    std::vector<LPARAM> percents;
    for (const auto& m : host.Take(2020, 2021)) {
        if (m.id == 2021) {
            percents.push_back(m.lParam);
        } else {
            EXPECT_EQ(m.wParam, 400000u);  // 2020 counts the whole file, not the rest
        }
    }
    ASSERT_FALSE(percents.empty());
    EXPECT_EQ(percents.front(), 75);
    EXPECT_EQ(percents.back(), 100);
    EXPECT_GE(view.rowProgress[0].size(), 2u);
    for (size_t i = 1; i < view.rowProgress[0].size(); ++i) EXPECT_GE(view.rowProgress[0][i], 75);
}

// The status check and the download are one request: a second one would
// cost a connection more, and closing the check's request with its body
// still coming makes Wine's WinINet read that whole body first.
TEST_F(DownloadWorkerTest, AFileOnHttpIsCheckedAndFetchedInOneRequest)
{
    const std::string id =
        "worker" + std::to_string(::GetCurrentProcessId()) + "_" + std::to_string(::GetTickCount());
    config.files[0] =
        NewItem({std::string(kOdd) + "slow?size=300000&chunk=65536&delay=0&id=" + id}, "one.bin");
    ASSERT_EQ(Run(), DownloadEnd::Done);
    EXPECT_TRUE(ReadBytes(job.downloadFolder + "file0\\one.bin") == PatternBytes(300000));
    EXPECT_EQ(FetchText(std::string(kOdd) + "count?id=" + id), "1");
}

TEST_F(DownloadWorkerTest, AFolderListedAgainHoldsOnlyTheNewListing)
{
    const std::string first = base + "first", second = base + "second";
    ::CreateDirectoryA(first.c_str(), nullptr);
    ::CreateDirectoryA(second.c_str(), nullptr);
    WriteBytes(first + "\\gone.dll", "g");
    WriteBytes(first + "\\locked.dll", "l");
    WriteBytes(second + "\\kept.dll", "k");
    // Opened without sharing: the copy from the first folder fails.
    UniqueFileHandle locked(::CreateFileA((first + "\\locked.dll").c_str(), GENERIC_READ, 0, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(locked);
    config.dirs[0] = NewItem({"file:///" + first, "file:///" + second});
    ASSERT_EQ(Run(), DownloadEnd::Done);
    const auto& list = records.Of(ItemKind::Dir, 0);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].targetName, "kept.dll");
    std::map<std::string, std::string> files;
    Collect(job.downloadFolder + "dir0", "", files);
    EXPECT_EQ(files, (std::map<std::string, std::string>{{list[0].tempName, "k"}}));
}

TEST_F(DownloadWorkerTest, StopWhilePausedEndsAtOnce)
{
    const std::string slow = std::string(kOdd) + "slow?size=400000&chunk=4096&delay=0.05";
    config.files[0] = NewItem({slow, slow}, "slow.bin");
    DownloadEnd end = DownloadEnd::Done;
    std::thread worker([&] { end = Run(); });
    ASSERT_TRUE(WaitFor([&] { return !view.rowProgress[0].empty() && view.rowProgress[0].back() > 0; }, 20));
    control.Pause();
    ::Sleep(300);
    const auto start = std::chrono::steady_clock::now();
    control.Stop();
    worker.join();
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 2.0);
    EXPECT_EQ(end, DownloadEnd::Stopped);
    EXPECT_EQ(config.files[0].addresses.size(), 1u);  // the second address was never tried
}

TEST_F(DownloadWorkerTest, TheUpdatersOwnFilesReplaceThePackageInOneRename)
{
    const std::string program = NoiseBytes(30000);
    const std::string folder = base + "prog\\";
    CreateFolderPath(folder);
    const std::string clientText = "[file0]\r\nver=1.0\r\n[file1]\r\nver=1.0\r\n";
    const std::string emptyArchive = std::string("PK\x05\x06", 4) + std::string(18, '\0');
    WriteBytes(base + "new.bin", emptyArchive);
    WriteBytes(folder + "update.bin", emptyArchive);
    ASSERT_TRUE(WritePackageMember(clientText, base + "new.bin", "client.dat", ""));
    ASSERT_TRUE(WritePackageMember("[file0]\r\nver=0.1\r\n", folder + "update.bin", "client.dat", ""));
    ServedFile servedProgram("worker_update.exe", program);
    ServedFile servedPackage("worker_update.bin", ReadBytes(base + "new.bin"));

    SelfUpdateJob self{&config, folder, "update.exe", "update.bin", nullptr, kBuildCharset, ShowType::Normal};
    self.httpLimits = kQuickHttp;
    config.selfUpdateIndex = 0;
    config.packageIndex = 1;
    config.files[0] = NewItem({Http("worker_update.exe")}, "update.exe");
    config.files[1] = NewItem({Http("worker_update.bin")}, "update.bin");
    config.files[1].serverVersion = "2.5";
    ASSERT_EQ(RunSelfUpdateDownload(self, control, view), DownloadEnd::Done);
    EXPECT_EQ(ReadBytes(folder + "update.exe.exe"), program);
    EXPECT_FALSE(FileExists(folder + "update.bin.ubk"));
    const std::string client = ReadPackageMember(folder + "update.bin", "client.dat", "");
    EXPECT_NE(client.find("[file1]\r\nver=2.5"), std::string::npos) << client;
    EXPECT_EQ(view.statuses.back(), "下载完成，正在进行更新...");

    // A package that cannot be fetched: nothing half-done stays.
    config.files[0] = NewItem({Http("worker_update.exe")}, "update.exe");
    config.files[1] = NewItem({kClosed}, "update.bin");  // no answer at all
    ::DeleteFileA((folder + "update.exe.exe").c_str());
    const std::string before = ReadBytes(folder + "update.bin");
    EXPECT_EQ(RunSelfUpdateDownload(self, control, view), DownloadEnd::Failed);
    EXPECT_FALSE(FileExists(folder + "update.exe.exe"));
    EXPECT_FALSE(FileExists(folder + "update.bin.ubk"));
    EXPECT_EQ(ReadBytes(folder + "update.bin"), before);
    EXPECT_EQ(view.statuses.back(), "在服务器端没找到该文件！");
}

TEST_F(DownloadWorkerTest, AFolderOnAWebAddressBringsNothingAndFailsItsItem)
{
    const std::string local = base + "src";
    ::CreateDirectoryA(local.c_str(), nullptr);
    WriteBytes(local + "\\a.dll", "A");
    const struct {
        const char* what;
        std::vector<std::string> urls;
        DownloadEnd end;
        size_t records;
    } cases[] = {
        {"http", {Http("folder/")}, DownloadEnd::Failed, 0},
        {"https", {std::string(kHttps) + "folder"}, DownloadEnd::Failed, 0},
        {"http, then a local folder", {Http("folder/"), "file:///" + local}, DownloadEnd::Done, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        config = UpdateConfig();
        config.dirs[2] = NewItem(c.urls);
        view.doneRows.clear();
        LogCapture log;
        EXPECT_EQ(Run(), c.end);
        EXPECT_EQ(records.Of(ItemKind::Dir, 2).size(), c.records);
        EXPECT_NE(log.Text().find("    错误：文件夹只能从FTP服务器或本地文件夹下载，此地址没有下载任何文件：" +
                                  c.urls[0] + "\r\n"),
                  std::string::npos)
            << log.Text();
        if (c.end == DownloadEnd::Failed) {
            EXPECT_TRUE(view.doneRows.empty());
            EXPECT_EQ(view.statuses.back(), "文件下载失败!");
        }
    }
}

TEST_F(DownloadWorkerTest, AFolderWithASubfolderThatCannotBeListedFails)
{
    // The FTP server refuses to enter "locked_*" folders.
    FtpTree tree("worker_locked");
    tree.Put("a.dll", "A");
    tree.Put("locked_sub/b.dll", "B");
    // A local subfolder whose path is too long for the system's calls.
    const std::string local = base + "src";
    ::CreateDirectoryA(local.c_str(), nullptr);
    WriteBytes(local + "\\a.dll", "A");
    const std::wstring longFolder =
        L"\\\\?\\" + std::wstring(local.begin(), local.end()) + L"\\" + std::wstring(200, L'd');
    const std::wstring longer = longFolder + L"\\" + std::wstring(100, L'e');
    ASSERT_TRUE(::CreateDirectoryW(longFolder.c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW(longer.c_str(), nullptr));
    const struct {
        const char* what;
        std::string url;
        const char* line;
    } cases[] = {
        {"ftp", kBaseUrlText + tree.Remote(), "无法打开服务器文件夹："},
        {"local", "file:///" + local, "不存在文件夹："},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        config = UpdateConfig();
        config.dirs[0] = NewItem({c.url});
        config.dirs[0].isIncSubdir = true;
        LogCapture log;
        EXPECT_EQ(Run(), DownloadEnd::Failed);
        EXPECT_TRUE(records.Of(ItemKind::Dir, 0).empty());
        EXPECT_NE(log.Text().find(c.line), std::string::npos) << log.Text();
        EXPECT_TRUE(view.doneRows.empty());
    }
    ::RemoveDirectoryW(longer.c_str());
    ::RemoveDirectoryW(longFolder.c_str());
}

TEST_F(DownloadWorkerTest, AFailedItemLeavesNoPartOfAFileBehind)
{
    FtpTree tree("worker_part");
    tree.Put("file_cut.bin", PatternBytes(300000));  // the server sends half of it
    const std::string odd = kOdd;
    const struct {
        const char* what;
        bool folder;
        std::string url;
        bool md5;
        bool kept;  // the part stays, for the next run to go on from
    } cases[] = {
        {"http, cut", false, odd + "cut?size=400000", false, false},
        {"http, far more announced than sent", false, odd + "lying?size=4000000000&sent=400000", false, false},
        {"ftp file", false, kBaseUrlText + tree.Remote("file_cut.bin"), false, false},
        {"ftp folder", true, kBaseUrlText + tree.Remote(), false, false},
        {"http with an md5", false, odd + "cut?size=400000", true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        config = UpdateConfig();
        UpdateItem& item = c.folder ? config.dirs[0] : config.files[0];
        item = NewItem({c.url}, "part.bin");
        if (c.md5) item.md5 = Md5Of(PatternBytes(400000));
        EXPECT_EQ(Run(), DownloadEnd::Failed);
        std::map<std::string, std::string> left;
        Collect(job.downloadFolder.substr(0, job.downloadFolder.size() - 1), "", left);
        EXPECT_EQ(left.size(), c.kept ? 1u : 0u);
        for (const auto& [path, bytes] : left) EXPECT_TRUE(c.kept) << path << " " << bytes.size();
        RemoveTree(job.downloadFolder.substr(0, job.downloadFolder.size() - 1));
    }
}

TEST_F(DownloadWorkerTest, ARefusedRedirectIsShownForWhatItIs)
{
    ServedFile served("worker_redirect.bin", "data");
    const std::string url = std::string(kHttps) + "to_http/worker_redirect.bin";
    config.files[0] = NewItem({url}, "r.bin");
    EXPECT_EQ(Run(), DownloadEnd::Failed);
    for (const std::string& s : view.statuses) EXPECT_EQ(s.find("不存在"), std::string::npos) << s;
    EXPECT_EQ(view.Count("错误：拒绝从HTTPS地址重定向到：" + Http("worker_redirect.bin")), 1);
}

// Signed items: every file proves the size and SHA-256 of its signed
// package before it counts as downloaded.
namespace {

// The largest size `path` had while `run` ran, looked at every millisecond.
template <typename Run>
long long LargestSizeDuring(const std::string& path, Run run)
{
    std::atomic<bool> done{false};
    std::atomic<long long> largest{-1};
    std::thread watcher([&] {
        while (!done) {
            long long size = transfertest::LocalFileSize(path);
            if (size > largest) largest = size;
            ::Sleep(1);
        }
    });
    run();
    done = true;
    watcher.join();
    return largest;
}

}  // namespace

TEST_F(DownloadWorkerTest, ASignedFileIsNeverWrittenPastItsSize)
{
    constexpr size_t kSize = 100000;
    const std::string big = PatternBytes(16 << 20);
    ServedFile served("worker_signed_big.bin", big);
    FtpTree tree("worker_signed_big");
    tree.Put("big.bin", big);
    const std::string local = base + "big.bin";
    WriteBytes(local, big);
    const struct {
        const char* what;
        std::string url;
    } cases[] = {
        {"http announces more", Http("worker_signed_big.bin")},
        // Chunked, so WinINet does not end the body at its length; the part
        // past the signed size would take a minute to arrive.
        {"http body goes on", std::string(kOdd) + "overlong?size=100000&extra=67108864&delay=0.05"},
        {"ftp size says more", kBaseUrlText + tree.Remote("big.bin")},
        {"local file is larger", "file:///" + local},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        config = UpdateConfig();
        config.files[0] = NewItem({c.url}, "big.bin");
        Sign(config.files[0], big.substr(0, kSize));
        LogCapture log;
        DownloadEnd end = DownloadEnd::Done;
        const auto start = std::chrono::steady_clock::now();
        const long long largest =
            LargestSizeDuring(job.downloadFolder + "file0\\big.bin", [&] { end = Run(); });
        EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 20.0);
        EXPECT_EQ(end, DownloadEnd::Failed);
        EXPECT_LE(largest, static_cast<long long>(kSize));
        EXPECT_NE(log.Text().find("    错误：已下载文件：big.bin的大小超过100000字节！\r\n"), std::string::npos)
            << log.Text();
        EXPECT_EQ(view.statuses.back(), "文件下载失败!");
        EXPECT_FALSE(FileExists(job.downloadFolder + "file0\\big.bin"));
    }
}

TEST_F(DownloadWorkerTest, ASignedFileMustHaveItsSizeAndSha256)
{
    const std::string good = PatternBytes(50000);
    std::string wrong = good;
    wrong[25000] ^= 1;  // the same size, one bit off
    const std::string shorter = good.substr(0, 40000);
    ServedFile servedGood("worker_signed_good.bin", good), servedWrong("worker_signed_wrong.bin", wrong),
        servedShort("worker_signed_short.bin", shorter);
    FtpTree tree("worker_signed");
    tree.Put("wrong.bin", wrong);
    const std::string local = base + "wrong.bin";
    WriteBytes(local, wrong);
    const std::string wrongLine = "错误：已下载文件：s.bin的SHA-256值为：" + Sha256Of(wrong) +
                                  "，不等于服务器端配置包中的值" + Sha256Of(good) + "！";
    const std::string shortLine = "错误：已下载文件：s.bin的大小为40000字节，不等于50000字节！";
    const struct {
        const char* what;
        std::vector<std::string> urls;
        DownloadEnd end;
        // In the log, or (the page logs its statuses) the last status when
        // the item fails.
        std::string line;
    } cases[] = {
        {"good", {Http("worker_signed_good.bin")}, DownloadEnd::Done, ""},
        {"http wrong bytes, then good", {Http("worker_signed_wrong.bin"), Http("worker_signed_good.bin")},
         DownloadEnd::Done, wrongLine},
        {"ftp wrong bytes", {kBaseUrlText + tree.Remote("wrong.bin")}, DownloadEnd::Failed, wrongLine},
        {"local wrong bytes", {"file:///" + local}, DownloadEnd::Failed, wrongLine},
        {"http shorter", {Http("worker_signed_short.bin")}, DownloadEnd::Failed, shortLine},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        config = UpdateConfig();
        config.files[0] = NewItem(c.urls, "s.bin");
        Sign(config.files[0], good);
        RemoveTree(job.downloadFolder.substr(0, job.downloadFolder.size() - 1));
        view.statuses.clear();
        LogCapture log;
        ASSERT_EQ(Run(), c.end);
        const std::string text = log.Text();
        if (c.line.empty()) {
            EXPECT_EQ(text.find("错误"), std::string::npos) << text;
        } else if (c.end == DownloadEnd::Done) {
            EXPECT_NE(text.find("    " + c.line + "\r\n"), std::string::npos) << text;
        }
        const std::string file = job.downloadFolder + "file0\\s.bin";
        if (c.end == DownloadEnd::Done) {
            EXPECT_TRUE(ReadBytes(file) == good);
            EXPECT_EQ(view.Count("SHA-256验证成功!"), 1);
            const DownloadRecord& record = records.Of(ItemKind::File, 0).at(0);
            ASSERT_TRUE(record.content);
            EXPECT_EQ(record.content->sha256, Sha256Of(good));
            EXPECT_EQ(record.content->size, good.size());
        } else {
            EXPECT_EQ(view.statuses.back(), c.line);
            EXPECT_FALSE(FileExists(file));
        }
    }
}

TEST_F(DownloadWorkerTest, ASignedFolderBringsExactlyTheFilesOfItsList)
{
    const Tree files = {{"a.dll", "A"}, {"sub\\B.dll", "BB"}, {"sub\\deep\\c.dll", "CCC"}};
    // The list as the publisher wrote it: another letter case is the same name.
    auto listOf = [](const Tree& tree) {
        std::vector<ListedFile> listed;
        for (const auto& [name, bytes] : tree) listed.push_back({ToLowerAscii(name), bytes.size(), Sha256Of(bytes)});
        return listed;
    };
    Tree extra = files, missing = files, wrong = files, longer = files;
    extra["sub\\extra.dll"] = "E";
    missing.erase("sub\\deep\\c.dll");
    wrong["sub\\B.dll"] = "Bb";
    longer["sub\\B.dll"] = "BBB";
    const std::string wrongLine = "错误：已下载文件：sub\\B.dll的SHA-256值为：" + Sha256Of("Bb") +
                                  "，不等于服务器端配置包中的值" + Sha256Of("BB") + "！";
    const struct {
        const char* what;
        std::vector<Tree> served;  // one folder per address, in order
        bool ftp;
        DownloadEnd end;
        std::string line;
    } cases[] = {
        {"local, as listed", {files}, false, DownloadEnd::Done, ""},
        {"ftp, as listed", {files}, true, DownloadEnd::Done, ""},
        {"local, a file too many", {extra}, false, DownloadEnd::Failed,
         "错误：文件夹[dir0]中的文件与签名的清单不符：sub\\extra.dll"},
        {"ftp, a file too many", {extra}, true, DownloadEnd::Failed,
         "错误：文件夹[dir0]中的文件与签名的清单不符：sub\\extra.dll"},
        {"local, a file missing", {missing}, false, DownloadEnd::Failed,
         "错误：文件夹[dir0]中的文件与签名的清单不符：sub\\deep\\c.dll"},
        {"ftp, other bytes", {wrong}, true, DownloadEnd::Failed, wrongLine},
        {"local, a file longer", {longer}, false, DownloadEnd::Failed,
         "错误：已下载文件：sub\\B.dll的大小超过2字节！"},
        {"ftp, a file longer", {longer}, true, DownloadEnd::Failed,
         "错误：已下载文件：sub\\B.dll的大小超过2字节！"},
        {"a file too many, then as listed", {extra, files}, false, DownloadEnd::Done,
         "错误：文件夹[dir0]中的文件与签名的清单不符：sub\\extra.dll"},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        config = UpdateConfig();
        config.dirs[0] = NewItem({});
        config.dirs[0].isIncSubdir = true;
        config.dirs[0].listed = listOf(files);
        std::vector<std::unique_ptr<FtpTree>> trees;
        for (const Tree& served : c.served) {
            const std::string name = "worker_signed_dir" + std::to_string(++n);
            if (c.ftp) {
                trees.push_back(std::make_unique<FtpTree>(name));
                for (const auto& [path, bytes] : served) trees.back()->Put(ToSlashes(path), bytes);
                config.dirs[0].addresses.push_back({kBaseUrlText + trees.back()->Remote(), kUser, kPassword});
            } else {
                ::CreateDirectoryA((base + name).c_str(), nullptr);
                MakeTree(base + name + "\\", served);
                config.dirs[0].addresses.push_back({"file:///" + base + name, "", ""});
            }
        }
        view.statuses.clear();
        LogCapture log;
        ASSERT_EQ(Run(), c.end);
        const std::string text = log.Text();
        if (c.line.empty()) {
            EXPECT_EQ(text.find("错误"), std::string::npos) << text;
        } else {
            // Logged, or shown (and logged by the page) for the last address.
            EXPECT_TRUE(text.find("    " + c.line + "\r\n") != std::string::npos || view.Count(c.line) == 1)
                << text;
        }
        if (c.end == DownloadEnd::Failed) {
            EXPECT_EQ(view.statuses.back(), "文件下载失败!");
            continue;
        }
        Tree got;
        for (const DownloadRecord& r : records.Of(ItemKind::Dir, 0)) {
            ASSERT_TRUE(r.content);
            EXPECT_EQ(r.content->sha256, Sha256Of(ReadBytes(job.downloadFolder + "dir0\\" + r.tempName)));
            got[RelativeName(r)] = ReadBytes(job.downloadFolder + "dir0\\" + r.tempName);
        }
        EXPECT_EQ(got, files);
    }
}

TEST_F(DownloadWorkerTest, TheUpdatersOwnSignedFileIsProvenToo)
{
    const std::string folder = base + "prog\\";
    CreateFolderPath(folder);
    ServedFile served("worker_signed_update.exe", NoiseBytes(30000));
    SelfUpdateJob self{&config, folder, "update.exe", "update.bin", nullptr, kBuildCharset, ShowType::Normal};
    self.httpLimits = kQuickHttp;
    config.selfUpdateIndex = 0;
    config.files[0] = NewItem({Http("worker_signed_update.exe")}, "update.exe");
    Sign(config.files[0], NoiseBytes(29999) + "x");
    LogCapture log;
    EXPECT_EQ(RunSelfUpdateDownload(self, control, view), DownloadEnd::Failed);
    EXPECT_EQ(view.boxes, (std::vector<std::string>{"已下载文件：update.exe－－SHA-256验证错误，升级失败!"}));
    EXPECT_NE(log.Text().find("    错误：已下载文件：update.exe的SHA-256值为：" + Sha256Of(NoiseBytes(30000))),
              std::string::npos);
    EXPECT_FALSE(FileExists(folder + "update.exe.exe"));
}
