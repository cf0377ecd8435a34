#include "core/transfer/signed_content.h"

#include <map>

#include "core/text/case_fold.h"

namespace quibo {

namespace {

const char kDownloaded[] = "错误：已下载文件：";
const char kUnequal[] = "，不等于服务器端配置包中的值";

}  // namespace

std::optional<SignedContent> SignedContentOf(const UpdateItem& item)
{
    if (item.sha256.empty() || !item.size) return std::nullopt;
    return SignedContent{*item.size, item.sha256};
}

std::string TooLongText(const std::string& name, std::uint64_t size)
{
    return kDownloaded + name + "的大小超过" + std::to_string(size) + "字节！";
}

std::string WrongSizeText(const std::string& name, std::uint64_t got, std::uint64_t size)
{
    return kDownloaded + name + "的大小为" + std::to_string(got) + "字节，不等于" + std::to_string(size) + "字节！";
}

std::string WrongSha256Text(const std::string& name, const std::string& got, const std::string& want)
{
    return kDownloaded + name + "的SHA-256值为：" + got + kUnequal + want + "！";
}

std::string UnlistedFileText(int index, const std::string& relativeName)
{
    return "错误：文件夹[dir" + std::to_string(index) + "]中的文件与签名的清单不符：" + relativeName;
}

std::string WrongInstallSha256Text(const std::string& path, const std::string& got, const std::string& want)
{
    return "错误：待更新文件：" + path + "的SHA-256值为：" + got + kUnequal + want + "！";
}

std::string RelativeName(const DownloadRecord& record)
{
    std::string name = record.subfolder.empty() ? record.targetName : record.subfolder + "\\" + record.targetName;
    // "/" is never a trail byte of code page 936, so it can be replaced byte by byte.
    for (char& c : name)
        if (c == '/') c = '\\';
    return name;
}

std::string MatchListedFiles(std::vector<DownloadRecord>& records, const std::vector<ListedFile>& listed,
                             LeadByteRule rule)
{
    std::map<std::string, size_t> byName;  // folded name -> index in `listed`
    for (size_t i = 0; i < listed.size(); ++i) byName.emplace(ToLowerAscii(listed[i].name, rule), i);
    std::vector<bool> found(listed.size(), false);
    for (DownloadRecord& record : records) {
        const std::string name = RelativeName(record);
        auto it = byName.find(ToLowerAscii(name, rule));
        if (it == byName.end() || found[it->second]) return name;
        found[it->second] = true;
        const ListedFile& file = listed[it->second];
        record.content = SignedContent{file.size, file.sha256};
    }
    for (size_t i = 0; i < listed.size(); ++i)
        if (!found[i]) return listed[i].name;
    return {};
}

}  // namespace quibo
