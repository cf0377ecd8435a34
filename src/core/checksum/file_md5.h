// The MD5 text of a downloaded file, for comparing with the value the server
// configuration gives, and the first error met on the way.
//
// Use: construct, DigestFile, GetDigest; on a mismatch CloseFile before the
// file is deleted. The file is already closed when DigestFile returns, so
// CloseFile is only kept for that calling order and never does harm.
#pragma once

#include <cstdint>
#include <fstream>
#include <functional>
#include <string>

namespace quibo {

class CFileMd5 {
public:
    // Called between large reads, so a caller on a window thread can keep its
    // message queue moving during a long digest.
    using BetweenReads = std::function<void()>;

    CFileMd5() = default;
    explicit CFileMd5(BetweenReads betweenReads) : betweenReads_(std::move(betweenReads)) {}
    CFileMd5(const CFileMd5&) = delete;
    CFileMd5& operator=(const CFileMd5&) = delete;

    // False when no digest could be made; the reason is in GetErrorText.
    bool DigestFile(const std::string& path);
    // 32 lower-case hex digits, or null when the last digest failed (or none
    // was made).
    const char* GetDigest();
    void CloseFile();

    // The first error of the last digest ("" when none), and its Chinese twin
    // ("" for the unopenable file, which has none).
    const std::string& GetErrorText() const { return errorText_; }
    const char* GetErrorTextChinese() const;
    std::uint64_t ByteCount() const { return byteCount_; }

private:
    enum ErrorCode { kCannotOpen, kNoMemory, kNoFile, kNoText, kDigestFailed };
    void RecordError(ErrorCode code);

    BetweenReads betweenReads_;
    std::ifstream file_;
    bool ok_ = false;
    int errorCode_ = -1;
    std::string fileName_;
    std::uint64_t byteCount_ = 0;
    std::string errorText_;
    char digest_[33] = {};
};

// The file's MD5 compared with `expected` (any letter case); `digest`
// receives the computed text. A file whose digest cannot be made never
// matches.
bool Md5Matches(const std::string& path, const std::string& expected, std::string& digest);

}  // namespace quibo
