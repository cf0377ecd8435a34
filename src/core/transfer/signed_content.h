// The checks a signed release puts on every downloaded file: the texts that
// say which check failed, and whether a folder item brought exactly the
// files of its signed list.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/config/update_item.h"
#include "core/text/code_page.h"
#include "core/transfer/download_records.h"

namespace quibo {

// A signed file item's size and SHA-256; none for an unsigned item.
std::optional<SignedContent> SignedContentOf(const UpdateItem& item);

// "错误：已下载文件：<name>的大小超过<size>字节！": a body longer than the size.
std::string TooLongText(const std::string& name, std::uint64_t size);
// "错误：已下载文件：<name>的大小为<got>字节，不等于<size>字节！"
std::string WrongSizeText(const std::string& name, std::uint64_t got, std::uint64_t size);
// "错误：已下载文件：<name>的SHA-256值为：<got>，不等于服务器端配置包中的值<want>！"
std::string WrongSha256Text(const std::string& name, const std::string& got, const std::string& want);
// "错误：文件夹[dir<index>]中的文件与签名的清单不符：<relative name>"
std::string UnlistedFileText(int index, const std::string& relativeName);
// "错误：待更新文件：<path>的SHA-256值为：<got>，不等于服务器端配置包中的值<want>！"
std::string WrongInstallSha256Text(const std::string& path, const std::string& got, const std::string& want);

// A listed file's name below its folder item's root: the subfolder and the
// name joined by "\", every "/" of a server's listing as "\".
std::string RelativeName(const DownloadRecord& record);

// Gives every record of a folder listing the content its list names. Empty
// when the records are exactly the listed files (ASCII letter case aside);
// otherwise the relative name of the first record the list does not name
// (or names once and the listing twice), or else of the first listed file
// the listing lacks.
std::string MatchListedFiles(std::vector<DownloadRecord>& records, const std::vector<ListedFile>& listed,
                             LeadByteRule rule = kBuildCharset);

}  // namespace quibo
