#include "core/zip/zip_big_file.h"

#include <algorithm>

#include "core/zip/zip_exception.h"

namespace quibo {

namespace {

[[noreturn]] void Fail(const std::string& what, const std::filesystem::path& path)
{
    throw CZipException(CZipException::fileError, "zip: " + what + " " + path.u8string());
}

}  // namespace

void CZipBigFile::Open(const std::filesystem::path& path, Mode mode)
{
    if (buf_.is_open()) buf_.close();
    std::ios::openmode how =
        std::ios::binary | (mode == modeRead ? std::ios::in : std::ios::out | std::ios::trunc);
    if (!buf_.open(path, how)) Fail("cannot open", path);
    position_ = written_ = size_ = 0;
    if (mode == modeRead) {
        auto end = buf_.pubseekoff(0, std::ios::end, std::ios::in);
        if (end == std::streampos(std::streamoff(-1)) ||
            buf_.pubseekpos(0, std::ios::in) != std::streampos(0)) {
            buf_.close();
            Fail("cannot seek in", path);
        }
        size_ = static_cast<std::uint64_t>(std::streamoff(end));
    }
}

void CZipBigFile::Close()
{
    if (buf_.is_open() && !buf_.close())
        throw CZipException(CZipException::fileError, "zip: writing the file failed");
}

std::size_t CZipBigFile::Read(void* buffer, std::size_t size)
{
    std::size_t done = 0;
    char* out = static_cast<char*>(buffer);
    while (done < size) {
        std::streamsize want = static_cast<std::streamsize>(
            std::min<std::size_t>(size - done, std::numeric_limits<std::streamsize>::max()));
        std::streamsize got = buf_.sgetn(out + done, want);
        if (got <= 0) break;
        done += static_cast<std::size_t>(got);
    }
    position_ += done;
    return done;
}

void CZipBigFile::Write(const void* buffer, std::size_t size)
{
    if (size > capacity_ - written_) {
        throw CZipException(CZipException::fileError, "zip: no space left for the file");
    }
    std::streamsize n = static_cast<std::streamsize>(size);
    if (buf_.sputn(static_cast<const char*>(buffer), n) != n)
        throw CZipException(CZipException::fileError, "zip: writing the file failed");
    written_ += size;
    position_ += size;
    if (position_ > size_) size_ = position_;
}

void CZipBigFile::Seek(std::uint64_t position)
{
    // Header reads come one after another; skipping the needless seek keeps
    // the stream's buffer.
    if (position == position_) return;
    if (buf_.pubseekpos(std::streampos(std::streamoff(position))) == std::streampos(std::streamoff(-1)))
        throw CZipException(CZipException::fileError, "zip: cannot seek in the file");
    position_ = position;
}

}  // namespace quibo
