#include "core/config/server_config.h"

#include <algorithm>

#include "core/config/config_read.h"
#include "core/config/log_banner.h"
#include "core/config/version_compare.h"
#include "core/log/run_log.h"
#include "core/signing/hex_text.h"
#include "core/text/decimal.h"
#include "core/text/path_text.h"

namespace quibo {

namespace {

constexpr int kMd5Length = 32;

class ServerReader {
public:
    ServerReader(UpdateConfig& config, const ConfigContext& context, std::string_view text,
                 const ServerPackage* signedPackage)
        : config_(config), dirs_(context.dirs), signed_(signedPackage)
    {
        // Text that does not load simply yields the defaults.
        ini_.LoadText(text);
    }

    void ReadItems()
    {
        for (int n = 0; n < kFileItemCount; ++n) {
            std::string section = ItemSection(ItemKind::File, n);
            if (ReadCommonItemKeys(section, config_.files[n])) ReadFileKeys(section, config_.files[n]);
        }
        for (int n = 0; n < kDirItemCount; ++n) {
            std::string section = ItemSection(ItemKind::Dir, n);
            if (ReadCommonItemKeys(section, config_.dirs[n])) ReadDirKeys(section, n, config_.dirs[n]);
        }
    }

    void ReadSystem()
    {
        SystemHooks& h = config_.system;
        const char* s = "system";
        h.runBefore = String(s, "run_before");
        h.runBeforePause = Int(s, "run_before_pause", 0);
        h.runAfter = String(s, "run_after");
        h.runAfterPause = Int(s, "run_after_pause", 0);
        h.runNonetwork = String(s, "run_nonetwork");
        h.runUdbefore = String(s, "run_udbefore");
        h.runUdafters = String(s, "run_udafters");
        h.runUdafterf = String(s, "run_udafterf");
        h.runDlbefore = String(s, "run_dlbefore");
        h.runDlafters = String(s, "run_dlafters");
        h.runDlafterf = String(s, "run_dlafterf");
        h.closeProc1 = SplitCommaList(String(s, "close_proc1"));
        h.closeProc2 = SplitCommaList(String(s, "close_proc2"));
        h.closeProc3 = SplitCommaList(String(s, "close_proc3"));
        h.closeItems = SplitCommaList(String(s, "close_items"));
    }

    void ReadPageSwitches()
    {
        PageSwitches& p = config_.pages;
        const PageSwitches defaults;
        const char* s = "UI";
        p.noupdateWin = Int(s, "noupdate_win", defaults.noupdateWin);
        p.noupdateWinMsg = String(s, "noupdate_win_msg", defaults.noupdateWinMsg);
        p.startWin = Int(s, "start_win", defaults.startWin);
        p.startWinMsg = String(s, "start_win_msg", defaults.startWinMsg);
        p.closeWin = Int(s, "close_win", defaults.closeWin);
        p.closeWinMsg = String(s, "close_win_msg", defaults.closeWinMsg);
        p.dlWin = Int(s, "dl_win", defaults.dlWin);
        p.dlWinMsg = String(s, "dl_win_msg", defaults.dlWinMsg);
        p.endWin1 = Int(s, "end_win1", defaults.endWin1);
        p.endWin2 = Int(s, "end_win2", defaults.endWin2);
        p.endWin1Msg = String(s, "end_win1_msg", defaults.endWin1Msg);
        p.endWin2Msg = String(s, "end_win2_msg", defaults.endWin2Msg);
        // Read once more after the texts, and so logged twice, as the logs of
        // earlier versions show it.
        p.startWin = Int(s, "start_win", defaults.startWin);
    }

private:
    std::string String(std::string_view section, std::string_view key, std::string_view def = {})
    {
        return ReadConfigString(ini_, section, key, def, dirs_);
    }
    int Int(std::string_view section, std::string_view key, int def)
    {
        return ReadConfigInt(ini_, section, key, def);
    }
    // A yes/no key: any number but 0 is yes.
    bool Flag(std::string_view section, std::string_view key, bool def)
    {
        return Int(section, key, def ? 1 : 0) != 0;
    }

    // Version, addresses, randomsel and path, shared by files and folders.
    // False when the item is not offered or not newer: its other fields then
    // keep what they had.
    bool ReadCommonItemKeys(const std::string& section, UpdateItem& item)
    {
        item.serverVersion = ini_.GetString(section, "ver", "0.0.0");
        std::string urls = ini_.GetString(section, "urls", "");
        if (urls.empty() || item.serverVersion == "0.0.0") return false;

        WriteLog("【" + section + "】");
        WriteLog("urls=" + urls);
        WriteLog("ver=" + item.serverVersion);
        if (!IsVersionNewer(item.serverVersion, item.clientVersion)) return false;

        ++config_.newVersionCount;
        WriteLog("＞＞＞＞＞与客户端比较后发现新版本！");
        item.addresses = ReadUrlList(urls);
        item.randomSel = Flag(section, "randomsel", false);
        item.path = String(section, "path");
        return true;
    }

    // Display and operation mode of the run follow the newer items: the least
    // silent display wins, and one manual item makes the run manual.
    void MergeShowType(std::string_view section)
    {
        // The minimum is taken over the stored numbers, odd ones included.
        showTypeNumber_ = std::min(showTypeNumber_, Int(section, "show_type", 0));
        config_.showType = ShowTypeFromNumber(showTypeNumber_);
    }
    void MergeOpMode(std::string_view section)
    {
        if (Int(section, "op_mode", 0) == 0) config_.opMode = OpMode::Manual;
    }

    void ReadFileKeys(const std::string& section, UpdateItem& item)
    {
        // A file's folder is joined with its name; a folder item's path is
        // used as it was given.
        item.path = EnsureTrailingBackslash(item.path);
        item.modifyVer = Flag(section, "modify_ver", true);
        MergeShowType(section);
        MergeOpMode(section);
        item.uncompress = Flag(section, "uncompress", false);
        item.runme = Flag(section, "runme", false);
        item.runmePause = Flag(section, "runme_pause", false);
        item.runmeParam = String(section, "runme_param");
        item.md5 = String(section, "md5");
        if (item.md5.size() != kMd5Length) item.md5.clear();
        if (signed_) ReadFileDigest(section, item);
        item.name = String(section, "rename");
        if (item.name.empty() && !item.addresses.empty()) {
            const std::string& first = item.addresses.front().url;
            item.name = first.substr(first.rfind('/') + 1);
        }
        item.describe = String(section, "describe");
    }

    // The package was accepted only with these valid for every offered item.
    void ReadFileDigest(const std::string& section, UpdateItem& item)
    {
        Sha256Digest digest{};
        std::uint64_t size = 0;
        if (FromHex(String(section, "sha256"), digest)) item.sha256 = ToHex(digest);
        if (ParseDigits(String(section, "size"), size)) item.size = size;
    }

    void ReadDirKeys(const std::string& section, int index, UpdateItem& item)
    {
        if (signed_) {
            auto list = signed_->lists.find(index);
            if (list != signed_->lists.end()) item.listed = list->second;
        }
        item.filter = String(section, "filter");
        item.modifyVer = Flag(section, "modify_ver", true);
        MergeShowType(section);
        MergeOpMode(section);
        item.isIncSubdir = Flag(section, "is_inc_subdir", false);
        item.describe = String(section, "describe");
    }

    UpdateConfig& config_;
    int showTypeNumber_ = static_cast<int>(ShowType::Silent);
    const DirConstants& dirs_;
    const ServerPackage* signed_;  // null when the package was taken unsigned
    CConfigIni ini_;
};

const char* OpModeText(OpMode opMode) { return opMode == OpMode::Automatic ? "自动" : "手动"; }

const char* ShowTypeText(ShowType showType)
{
    if (showType == ShowType::Normal) return "常规";
    if (showType == ShowType::SemiSilent) return "半静默";
    return "静默";
}

void ReadServerConfig(UpdateConfig& config, const ConfigContext& context, std::string_view text,
                      const ServerPackage* signedPackage)
{
    WriteLog(SectionBanner("解析服务器端配置文件"));
    ServerReader reader(config, context, text, signedPackage);
    WriteLog("★★★ 以下只列出有效的[fileX]和[dirX]项（即版本号>0，且文件或目录列表框内不为空。）");
    config.showType = ShowType::Silent;
    config.opMode = OpMode::Automatic;
    config.newVersionCount = 0;
    reader.ReadItems();
    WriteLog("★ 共发现 " + std::to_string(config.newVersionCount) + " 个有效的[fileX]或[dirx]项");

    WriteLog("【system】");
    reader.ReadSystem();
    WriteLog("【UI】");
    reader.ReadPageSwitches();

    WriteLog("★ 服务器端配置文件解析完毕!");
    WriteLog("★★★ 共用关键字策略分析结果：");
    WriteLog(std::string("操作方式：") + OpModeText(config.opMode));
    WriteLog(std::string("显示类型：") + ShowTypeText(config.showType));
}

}  // namespace

void ParseServerConfig(UpdateConfig& config, const ConfigContext& context, std::string_view text)
{
    ReadServerConfig(config, context, text, nullptr);
}

void ParseServerConfig(UpdateConfig& config, const ConfigContext& context, const ServerPackage& package)
{
    config.release = package.meta;
    ReadServerConfig(config, context, package.serverText, package.meta ? &package : nullptr);
}

}  // namespace quibo
