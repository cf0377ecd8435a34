#include "download/file_fetch.h"

#include <cstdint>
#include <cstdlib>

#include "core/checksum/file_md5.h"
#include "core/log/run_log.h"
#include "core/text/code_page.h"
#include "core/transfer/signed_content.h"
#include "download/download_worker.h"
#include "download/file_proof.h"
#include "download/ftp_download.h"
#include "download/http_download.h"
#include "download/http_status.h"
#include "download/same_size.h"
#include "download/local_copy.h"

namespace quibo {

namespace {

constexpr char kFailed[] = "文件下载失败!";

class Attempt {
public:
    Attempt(FetchContext& context, UpdateItem& item, const std::string& localPath, int row, FetchStyle style,
            ShowType showType)
        : c_(context),
          item_(item),
          content_(SignedContentOf(item)),
          local_(localPath),
          row_(row),
          style_(style),
          showType_(showType)
    {
        if (content_) cap_ = SizeCap(content_->size, item.name);
    }

    FetchEnd Run()
    {
        while (!item_.addresses.empty()) {
            if (c_.control.stop) return FetchEnd::Stopped;
            TakenAddress taken = TakeAddress(item_);
            // Only a file a checksum can prove is continued; any other is
            // fetched from its start.
            if (!Continuable(taken)) ::DeleteFileA(local_.c_str());
            const Step step = FromAddress(taken);
            if (step == Step::Done) return FetchEnd::Done;
            // What a failed or stopped transfer wrote stays only where a
            // later download goes on from it.
            if (!Continuable(taken)) ::DeleteFileA(local_.c_str());
            switch (step) {
            case Step::NextAddress: continue;
            case Step::Failed: return FetchEnd::Failed;
            default: return FetchEnd::Stopped;
            }
        }
        // No address at all: nothing to fetch.
        return FetchEnd::Done;
    }

private:
    enum class Check { Match, Again, Retry, Fail };

    bool Checked() const { return content_ || !item_.md5.empty(); }

    bool Resumable(const TakenAddress& taken) const
    {
        const UrlService service = taken.parsed.service;
        return Checked() && (service == UrlService::Http || service == UrlService::Https);
    }

    // A file that already holds a signed file's whole size (and was not
    // proven) or more has nothing to go on from.
    bool Continuable(const TakenAddress& taken) const
    {
        if (!Resumable(taken)) return false;
        std::uint64_t there = 0;
        return !content_ || !LocalFileSize(local_, there) || there < content_->size;
    }

    enum class Step { Done, NextAddress, Failed, Stopped };

    // The item from one address: transferred and, with an md5, verified.
    Step FromAddress(const TakenAddress& taken)
    {
        for (;;) {
            std::uint64_t kept = 0;
            FetchEnd end = Fetch(taken, kept);
            if (end == FetchEnd::Stopped) return Step::Stopped;
            if (end == FetchEnd::Failed) return taken.last ? Step::Failed : Step::NextAddress;
            if (!Checked()) return Step::Done;
            switch (Verify(taken.last, kept > 0)) {
            case Check::Match: return Step::Done;
            case Check::Retry: return Step::NextAddress;
            case Check::Fail: return Step::Failed;
            case Check::Again:
                // Old bytes (a stale file, another release's) must not fail
                // an item this address serves right: once more from byte 0
                // (the file is gone, so nothing is kept this time).
                WriteLog("续传的文件MD5验证失败，重新下载。");
                break;
            }
        }
    }

    // One transfer from `taken`. Failed also when only this address failed
    // (more may be left); on the last address the failure texts are shown.
    FetchEnd Fetch(const TakenAddress& taken, std::uint64_t& kept)
    {
        bool transferred = false;
        if (!Transfer(taken, transferred, kept)) return FetchEnd::Failed;  // texts shown
        if (c_.control.stop) return FetchEnd::Stopped;
        if (transferred) return FetchEnd::Done;
        if (taken.last) {
            if (style_ == FetchStyle::SelfUpdate) Info("下载失败，请稍后再尝试！");
            c_.view.SetStatus(kFailed);
        }
        return FetchEnd::Failed;
    }

    void Info(const std::string& text)
    {
        if (!IsSilent(showType_)) c_.view.ShowInfo(text);
    }

    // False when the item ends here (its texts shown); otherwise
    // `transferred` tells whether the file arrived.
    bool Transfer(const TakenAddress& taken, bool& transferred, std::uint64_t& kept)
    {
        kept = 0;
        const std::string& url = taken.address.url;
        if (style_ == FetchStyle::SelfUpdate) WriteLog("下载文件：" + url);
        c_.view.SetRowProgress(row_, 0);
        switch (taken.parsed.service) {
        case UrlService::Ftp:
            if (!ConnectFor(c_, taken)) return !taken.last || c_.control.stop;
            transferred = FtpDownloadFile(c_.session.Ftp(), c_.control, c_.view, taken.parsed.object, local_, 0,
                                          row_, cap_);
            return true;
        case UrlService::File:
            if (style_ == FetchStyle::Item) WriteLog("下载: " + url + "-->" + local_);
            transferred = CopyLocalFile(c_.control, c_.view, taken.parsed.object, local_, row_, cap_);
            return true;
        default: break;
        }
        if (style_ == FetchStyle::Item) WriteLog("下载: " + url + "-->" + local_);
        // A broken download's bytes: the answer to a range request decides
        // what becomes of them.
        std::uint64_t there = 0;
        if (Resumable(taken) && LocalFileSize(local_, there) && there > 0) {
            transferred = ResumeHttpDownload(c_.control, c_.view, url, local_, row_, c_.httpLimits, kept, cap_);
            return true;
        }
        std::string message;
        HttpRequest http(c_.httpLimits);
        if (!CheckHttpUrl(http, url, message)) {
            if (!taken.last || c_.control.stop) return true;
            // A request that failed for a known reason (a refused redirect,
            // time run out) says nothing about the file being there.
            if (message.empty()) message = http.FailureReason();
            if (style_ == FetchStyle::SelfUpdate)
                c_.view.SetStatus(message.empty() ? "在服务器端没找到该文件！" : message);
            else
                c_.view.SetStatus(message.empty() ? "服务器端文件：" + item_.name + "不存在！" : message);
            return false;
        }
        transferred = HttpDownload(c_.control, c_.view, http, local_, row_, cap_);
        return true;
    }

    // `joined`: the file holds bytes from before this transfer.
    Check Verify(bool last, bool joined)
    {
        c_.view.SetStatus(style_ == FetchStyle::SelfUpdate ? "正在验证下载文件的完整性..."
                                                           : "正在验证文件的完整性...");
        if (content_) return Prove(last, joined);
        std::string digest;
        if (Md5Matches(local_, item_.md5, digest)) {
            c_.view.SetStatus("MD5验证成功!");
            return Check::Match;
        }
        ::DeleteFileA(local_.c_str());
        if (joined) return Check::Again;
        if (!last) return Check::Retry;
        const std::string unequal = "不等于服务器中原始文件的MD5=" + item_.md5 + "－－MD5验证错误，退出!";
        if (style_ == FetchStyle::SelfUpdate) {
            Info("已下载文件：" + item_.name + "－－MD5验证错误，升级失败!");
            WriteLog("已下载文件的MD5值为：" + digest);
            WriteLog(unequal);
        } else {
            c_.view.SetStatus("已下载文件：" + item_.name + "的MD5值为：" + digest);
            c_.view.SetStatus(unequal);
        }
        return Check::Fail;
    }

    // The signed size and SHA-256, which stand in for the md5.
    Check Prove(bool last, bool joined)
    {
        std::string failure;
        if (ProveDownloadedFile(local_, *content_, item_.name, failure)) {
            c_.view.SetStatus("SHA-256验证成功!");
            return Check::Match;
        }
        ::DeleteFileA(local_.c_str());
        if (joined || !last) {
            WriteLog(failure);
            if (joined) WriteLog("续传的文件SHA-256验证失败，重新下载。");
            return joined ? Check::Again : Check::Retry;
        }
        if (style_ == FetchStyle::SelfUpdate) {
            Info("已下载文件：" + item_.name + "－－SHA-256验证错误，升级失败!");
            WriteLog(failure);
        } else {
            c_.view.SetStatus(failure);
        }
        return Check::Fail;
    }

    FetchContext& c_;
    UpdateItem& item_;
    std::optional<SignedContent> content_;
    SizeCap cap_;
    const std::string& local_;
    int row_;
    FetchStyle style_;
    ShowType showType_;
};

}  // namespace

TakenAddress TakeAddress(UpdateItem& item)
{
    std::vector<UrlAddress>& list = item.addresses;
    size_t index = item.randomSel ? static_cast<size_t>(std::rand()) % list.size() : 0;
    TakenAddress taken;
    taken.address = list[index];
    list.erase(list.begin() + static_cast<std::ptrdiff_t>(index));
    taken.last = list.empty();
    taken.parsed = ParseUrl(taken.address.url);
    std::string& object = taken.parsed.object;
    object = ReplaceAll(object, "%20", " ");
    if (EndsWithChar(object, '\\') || EndsWithChar(object, '/')) object.pop_back();
    return taken;
}

bool ConnectFor(FetchContext& context, const TakenAddress& taken)
{
    FtpConnection& ftp = context.session.Ftp();
    if (!ftp.IsOpen() || ftp.Server() != taken.parsed.server) context.view.SetStatus("正在连接服务器......");
    return context.session.Connect(taken.parsed.server, taken.address.user, taken.address.password,
                                   taken.parsed.port, context.ftpLimits);
}

FetchEnd FetchFileItem(FetchContext& context, UpdateItem& item, const std::string& localPath, int row,
                       FetchStyle style, ShowType showType)
{
    return Attempt(context, item, localPath, row, style, showType).Run();
}

}  // namespace quibo
