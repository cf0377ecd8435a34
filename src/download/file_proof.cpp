#include "download/file_proof.h"

#include <windows.h>

#include "core/signing/hex_text.h"
#include "core/text/case_fold.h"
#include "core/transfer/signed_content.h"
#include "download/same_size.h"
#include "win/cng_crypto.h"
#include "win/scoped_handle.h"

namespace quibo {

bool ProveDownloadedFile(const std::string& path, const SignedContent& content, const std::string& name,
                         std::string& failure)
{
    std::uint64_t size = 0;
    if (!LocalFileSize(path, size) || size != content.size) {
        failure = WrongSizeText(name, size, content.size);
        return false;
    }
    UniqueFileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    CngCrypto crypto;
    Sha256Digest digest{};
    if (!file || !Sha256OfHandle(file.Get(), crypto, digest, size)) {
        failure = "错误：无法读取已下载文件：" + path;
        return false;
    }
    const std::string got = ToHex(digest);
    if (size == content.size && EqualsNoCase(got, content.sha256)) return true;
    failure = size != content.size ? WrongSizeText(name, size, content.size)
                                   : WrongSha256Text(name, got, content.sha256);
    return false;
}

}  // namespace quibo
