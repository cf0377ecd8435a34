#include "core/config/server_fetch.h"

#include "core/config/url_parse.h"
#include "core/log/run_log.h"
#include "core/text/code_page.h"

namespace quibo {

namespace {

// Blanks written as "%20" are restored, and one trailing separator dropped.
std::string LocalFetchPath(std::string_view object)
{
    std::string path = ReplaceAll(object, "%20", " ");
    if (EndsWithChar(path, '\\') || EndsWithChar(path, '/')) path.pop_back();
    return path;
}

std::string FetchFrom(const UrlAddress& address, ConfigSeam& seam)
{
    ParsedUrl url = ParseUrl(address.url);
    switch (url.service) {
    case UrlService::Ftp: return seam.FetchConfigFtp(address.url, address.user, address.password);
    case UrlService::File: return seam.FetchConfigLocal(LocalFetchPath(url.object));
    default: return seam.FetchConfigHttp(address.url);
    }
}

}  // namespace

std::optional<ServerPackage> FetchServerConfig(UpdateConfig& config, ConfigSeam& seam)
{
    std::vector<UrlAddress>& addresses = config.serverAddresses;
    while (!addresses.empty()) {
        size_t index = 0;
        if (config.serverRandomSel) index = static_cast<unsigned>(seam.Random()) % addresses.size();
        UrlAddress address = std::move(addresses[index]);
        addresses.erase(addresses.begin() + static_cast<std::ptrdiff_t>(index));

        WriteLog("★ 下载服务器端配置文件：" + address.url);
        std::string bytes = FetchFrom(address, seam);
        if (!bytes.empty()) {
            PackageVerdict verdict = OpenServerPackage(std::move(bytes), config.trust, seam.Crypto(), seam.Now());
            if (verdict.Accepted()) return std::move(verdict.package);
            const std::string refusal = RefusalText(verdict, config.trust);
            if (!refusal.empty()) WriteLog(refusal);
        }
        WriteLog("下载文件失败！");
    }
    return std::nullopt;
}

}  // namespace quibo
