#include "download/ftp_read.h"

#include <algorithm>
#include <memory>

namespace quibo {

namespace {

constexpr DWORD kBufferSize = 1 << 20;
// A read waits until it has all it asked for (or the file ends).
constexpr DWORD kWaitingRead = 4096;

}  // namespace

UniqueInternetHandle OpenFtpFile(HINTERNET connection, const std::string& name)
{
    return UniqueInternetHandle(
        ::FtpOpenFileA(connection, name.c_str(), GENERIC_READ,
                       FTP_TRANSFER_TYPE_BINARY | INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 1));
}

bool ReadFtpFile(HINTERNET file, const std::function<bool(const char* data, DWORD size)>& sink)
{
    std::unique_ptr<char[]> buffer(new char[kBufferSize]);
    for (;;) {
        // Some WinINet versions answer "pending" while nothing has arrived
        // yet: that is the same as nothing waiting.
        DWORD available = 0;
        if (!::InternetQueryDataAvailable(file, &available, 0, 0)) available = 0;
        DWORD want = available == 0 ? kWaitingRead : std::min(available, kBufferSize);
        DWORD got = 0;
        if (!::InternetReadFile(file, buffer.get(), want, &got)) return false;
        if (got == 0) return true;
        if (!sink(buffer.get(), got)) return false;
    }
}

}  // namespace quibo
