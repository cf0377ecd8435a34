#include "core/zip/zip_member_reader.h"

#include <algorithm>
#include <climits>

#include "core/zip/zip_abstract_file.h"
#include "core/zip/zip_exception.h"
#include "core/zip/zip_format.h"
#include "core/zip/zip_local.h"

namespace quibo {

using namespace zipfmt;

namespace {

constexpr std::size_t kInputBlock = 256 * 1024;

[[noreturn]] void Fail(CZipException::Cause cause, const std::string& name, const char* what)
{
    throw CZipException(cause, "zip: member '" + name + "' " + what);
}

}  // namespace

CZipMemberReader::CZipMemberReader(CZipAbstractFile& file, std::uint64_t localAt, std::uint64_t limit,
                                   const CZipFileHeader& header, const std::string& password)
    : file_(file), header_(header)
{
    if (header.method != kStored && header.method != kDeflated)
        Fail(CZipException::unsupported, header.name, "uses an unsupported compression method");
    ZipMemberSpan span = LocateMemberData(file, localAt, limit, header);
    position_ = span.dataStart;
    remaining_ = header.compressedSize;

    if (header.IsEncrypted()) {
        if (password.empty())
            Fail(CZipException::badPassword, header.name, "is encrypted and no password is set");
        if (remaining_ < kEncryptionHeader)
            Fail(CZipException::badData, header.name, "is too short for its encryption header");
        char check[kEncryptionHeader];
        file_.ReadAt(position_, check, sizeof check);
        position_ += kEncryptionHeader;
        remaining_ -= kEncryptionHeader;
        // With a data descriptor the CRC was not known when the header was
        // made, so the check byte comes from the time instead.
        unsigned char expected = header.HasDataDescriptor() ? static_cast<unsigned char>(header.modTime >> 8)
                                                            : static_cast<unsigned char>(header.crc >> 24);
        crypto_.emplace(password);
        if (!crypto_->DecryptHeader(check, expected))
            Fail(CZipException::badPassword, header.name, "wrong password");
    }
    if (header.method == kStored) {
        if (remaining_ != header.uncompressedSize)
            Fail(CZipException::badData, header.name, "is stored but its two sizes differ");
    } else {
        inflater_ = std::make_unique<CZipInflater>();
        input_.resize(static_cast<std::size_t>(
            std::min<std::uint64_t>(kInputBlock, std::max<std::uint64_t>(remaining_, 1))));
    }
}

std::size_t CZipMemberReader::Read(char* out, std::size_t size)
{
    if (done_ || size == 0) return 0;
    std::size_t n = header_.method == kStored ? ReadStored(out, size) : ReadDeflated(out, size);
    if (n == 0) Finish();
    return n;
}

std::size_t CZipMemberReader::Take(char* out, std::size_t size)
{
    std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(size, remaining_));
    if (n == 0) return 0;
    file_.ReadAt(position_, out, n);
    position_ += n;
    remaining_ -= n;
    if (crypto_) crypto_->Decrypt(out, n);
    return n;
}

std::size_t CZipMemberReader::ReadStored(char* out, std::size_t size)
{
    return Produced(out, Take(out, size));
}

void CZipMemberReader::FillInput()
{
    z_stream& s = inflater_->Stream();
    std::size_t n = Take(input_.data(), input_.size());
    s.next_in = reinterpret_cast<Bytef*>(input_.data());
    s.avail_in = static_cast<uInt>(n);
}

std::size_t CZipMemberReader::ReadDeflated(char* out, std::size_t size)
{
    z_stream& s = inflater_->Stream();
    // Room for one byte more than the member still declares: enough to tell
    // a member that runs long, never much more than it promised.
    std::uint64_t room = std::min<std::uint64_t>({size, header_.uncompressedSize - produced_ + 1, UINT_MAX});
    s.next_out = reinterpret_cast<Bytef*>(out);
    s.avail_out = static_cast<uInt>(room);
    // zlib can hold output back after it has taken all its input, so inflate
    // is called again whenever there is room, input or no input. Only when it
    // can make no progress at all (Z_BUF_ERROR) is more input really needed,
    // and by then every byte of the member has been given to it.
    while (!ended_ && s.avail_out > 0) {
        if (s.avail_in == 0) FillInput();
        int rc = inflate(&s, Z_NO_FLUSH);
        if (rc == Z_STREAM_END)
            ended_ = true;
        else if (rc == Z_BUF_ERROR)
            Fail(CZipException::badData, header_.name, "ends before its deflate stream does");
        else if (rc != Z_OK)
            Fail(CZipException::badData, header_.name, "holds damaged deflate data");
    }
    return Produced(out, static_cast<std::size_t>(room - s.avail_out));
}

std::size_t CZipMemberReader::Produced(const char* out, std::size_t n)
{
    if (n > header_.uncompressedSize - produced_)
        Fail(CZipException::badData, header_.name, "holds more data than its declared size");
    produced_ += n;
    crc_ = ZipCrc(crc_, out, n);
    return n;
}

void CZipMemberReader::Finish()
{
    done_ = true;
    if (inflater_ && (remaining_ != 0 || inflater_->Stream().avail_in != 0))
        Fail(CZipException::badData, header_.name, "has data after the end of its deflate stream");
    if (produced_ != header_.uncompressedSize)
        Fail(CZipException::badData, header_.name, "holds less data than its declared size");
    if (crc_ != header_.crc) Fail(CZipException::badCrc, header_.name, "fails its CRC-32 check");
}

}  // namespace quibo
