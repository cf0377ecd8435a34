#include "core/checksum/file_md5.h"

#include <cstring>
#include <memory>
#include <new>

#include "core/checksum/md5.h"
#include "core/text/case_fold.h"

namespace quibo {

namespace {

// Large reads keep the digest near the speed of the disk cache; the buffer is
// the only memory a digest takes, whatever the file's size.
constexpr std::size_t kReadSize = 256 * 1024;

struct ErrorText {
    const char* stored;
    const char* chinese;
};

// Indexed by CFileMd5's error codes.
constexpr ErrorText kErrorTexts[] = {
    {"Can not open the file [ %s ] !", ""},
    {"The Memory is not enough !", "内存分配失败!"},
    {"Have not assign a file !", "未指定文件!"},
    {"Have not assign the text !", "未指定文本!"},
    {"Have something wrong with MD5!", "有错误发生!"},
};

}  // namespace

void CFileMd5::RecordError(ErrorCode code)
{
    if (errorCode_ >= 0) return;  // the first error is the one worth telling
    ok_ = false;
    errorCode_ = code;
    errorText_ = kErrorTexts[code].stored;
    if (code == kCannotOpen) {
        std::string::size_type at = errorText_.find("%s");
        errorText_.replace(at, 2, fileName_);
    }
}

const char* CFileMd5::GetErrorTextChinese() const
{
    return errorCode_ < 0 ? "" : kErrorTexts[errorCode_].chinese;
}

bool CFileMd5::DigestFile(const std::string& path)
{
    CloseFile();
    ok_ = true;
    errorCode_ = -1;
    errorText_.clear();
    digest_[0] = '\0';
    byteCount_ = 0;
    fileName_ = path;

    std::unique_ptr<char[]> buffer(new (std::nothrow) char[kReadSize]);
    if (!buffer) {
        RecordError(kNoMemory);
        return false;
    }
    if (fileName_.empty()) {
        RecordError(kNoFile);
        return false;
    }
    file_.open(fileName_, std::ios::in | std::ios::binary);
    if (!file_.is_open()) {
        RecordError(kCannotOpen);
        return false;
    }

    Md5 md5;
    for (;;) {
        file_.read(buffer.get(), kReadSize);
        std::streamsize got = file_.gcount();
        if (got <= 0) break;
        if (betweenReads_) betweenReads_();
        md5.Update(buffer.get(), static_cast<std::size_t>(got));
        byteCount_ += static_cast<std::uint64_t>(got);
        if (!file_) break;
    }
    // A read error would otherwise pass for the end of the file and give the
    // digest of a part of it.
    if (file_.bad()) {
        RecordError(kDigestFailed);
        CloseFile();
        return false;
    }
    CloseFile();  // the caller may delete the file as soon as it has the answer

    std::string hex = Md5Hex(md5.Final());
    std::memcpy(digest_, hex.c_str(), sizeof digest_);
    return true;
}

const char* CFileMd5::GetDigest()
{
    if (ok_) return digest_;
    RecordError(kDigestFailed);
    return nullptr;
}

void CFileMd5::CloseFile()
{
    if (file_.is_open()) file_.close();
    file_.clear();
}

bool Md5Matches(const std::string& path, const std::string& expected, std::string& digest)
{
    CFileMd5 md5;
    const char* text = md5.DigestFile(path) ? md5.GetDigest() : nullptr;
    digest = text ? text : "";
    md5.CloseFile();
    return text != nullptr && !expected.empty() && EqualsNoCase(digest, expected);
}

}  // namespace quibo
