#include "core/config/client_config.h"

#include "core/config/config_ini.h"
#include "core/config/config_read.h"
#include "core/config/log_banner.h"
#include "core/log/run_banner.h"
#include "core/log/run_log.h"
#include "core/package/package.h"
#include "core/signing/public_keys.h"
#include "core/text/decimal.h"
#include "core/text/trim.h"

namespace quibo {

namespace {

void ReadClientVersions(UpdateConfig& config, ItemKind kind, int count, const char* open, const char* close)
{
    for (int n = 0; n < count; ++n) {
        std::string section = ItemSection(kind, n);
        UpdateItem& item = config.Item(kind, n);
        item.clientVersion = config.client.GetString(section, "ver", "0.0.0");
        if (item.clientVersion != "0.0.0") {
            WriteLog(open + section + close);
            WriteLog("ver=" + item.clientVersion);
        }
    }
}

// [system] pubkey, product and sequence: what the client trusts. They are
// logged only when a key is given; a client without one hears once per run
// that its server packages go unverified.
void ReadTrust(UpdateConfig& config, const DirConstants& dirs)
{
    config.trust = ReleaseTrust();
    if (Trim(config.client.GetString("system", "pubkey")).empty()) {
        if (!config.unsignedNoticeLogged)
            WriteLog("注意：客户端配置中没有公钥，服务器端配置包不做签名验证！");
        config.unsignedNoticeLogged = true;
        return;
    }
    std::string error;
    if (!ParsePublicKeys(ReadConfigString(config.client, "system", "pubkey", "", dirs), config.trust.keys, error))
        config.trust.keysMalformed = true;
    config.trust.product = ReadConfigString(config.client, "system", "product", "", dirs);
    // No sequence yet: no release has been installed.
    if (!ParseDigits(ReadConfigString(config.client, "system", "sequence", "0", dirs), config.trust.sequence))
        config.trust.sequence = 0;
}

}  // namespace

bool LoadClientConfig(UpdateConfig& config, const ConfigContext& context,
                      const std::optional<std::string>& clientText, ConfigSeam& seam)
{
    if (context.runMode == RunMode::Preview) {
        config.showType = ShowType::Normal;
        config.opMode = OpMode::Manual;
        return true;
    }
    if (!clientText) {
        ShowInfoUnlessSilent(seam, config.showType, "错误：没有找到客户端配置文件:" + context.packageName);
        return false;
    }
    // A repeated pass reads the new package into a fresh object.
    config.client = CConfigIni();
    if (!config.client.LoadText(*clientText)) {
        ShowInfoUnlessSilent(seam, config.showType,
                             "错误：客户端配置文件:" + context.packageName + "解析错误！");
        return false;
    }

    WriteRunBanner(seam.ProductName(), seam.FileVersionText());
    WriteLog(SectionBanner("获取目录常量值"));
    for (size_t i = 0; i < kDirConstantCount; ++i)
        WriteLog(std::string(kDirPlaceholders[i]) + " = " + context.dirs.values[i]);

    WriteLog(SectionBanner("解析客户端配置文件：" + context.packageName));
    WriteLog("【system】");
    std::string urls = ReadConfigString(config.client, "system", "urls", "", context.dirs);
    config.serverAddresses = ReadUrlList(urls);
    config.serverRandomSel = ReadConfigInt(config.client, "system", "randomsel", 0) != 0;
    ReadTrust(config, context.dirs);

    WriteLog(
        "★★★ 以下只列出已经有过升级记录的[fileX]和[dirX]项，没有升级记录的（即版本号为0）的项不再列出。");
    ReadClientVersions(config, ItemKind::File, kFileItemCount, "【", "】");
    ReadClientVersions(config, ItemKind::Dir, kDirItemCount, "[", "]");
    return true;
}

bool WriteClientVersion(const std::string& packagePath, const std::string& section, const std::string& version,
                        const FileReplacer& replace, std::optional<std::uint64_t> sequence)
{
    CConfigIni client;
    if (!client.LoadText(ReadPackageMember(packagePath, "client.dat", "")) ||
        !client.WriteString(section, "ver", version))
        return false;
    if (sequence) RaiseClientSequence(client, *sequence);
    return WritePackageMember(client.ToText(), packagePath, "client.dat", "", replace);
}

bool RaiseClientSequence(CConfigIni& client, std::uint64_t sequence)
{
    std::uint64_t recorded = 0;
    if (ParseDigits(Trim(client.GetString("system", "sequence")), recorded) && recorded >= sequence) return false;
    client.WriteString("system", "sequence", std::to_string(sequence));
    WriteLog("将[system]项中sequence的值置为" + std::to_string(sequence));
    return true;
}

}  // namespace quibo
