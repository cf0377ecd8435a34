// The ceiling for the updater's HTTP transfer: the plainest WinINet download
// there is. One session, InternetOpenUrlA with the updater's flags, then
// InternetReadFile into one buffer until the body ends, into a file or
// nowhere. Prints the time of each phase so that the scripts can tell the
// request's set-up from the body.
//
// Usage: wininet_loop_bench URL BUFFER_KIB [FILE]
#include <windows.h>
#include <wininet.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

double Ms(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

LARGE_INTEGER Now()
{
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return now;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: %s URL BUFFER_KIB [FILE]\n", argv[0]);
        return 2;
    }
    const DWORD size = static_cast<DWORD>(std::atoi(argv[2])) * 1024;
    std::unique_ptr<char[]> buffer(new char[size]);
    HANDLE file = INVALID_HANDLE_VALUE;
    if (argc == 4) {
        file = ::CreateFileA(argv[3], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return 1;
    }

    LARGE_INTEGER start = Now();
    HINTERNET session = ::InternetOpenA("Agent0", INTERNET_OPEN_TYPE_PRECONFIG_WITH_NO_AUTOPROXY, nullptr, nullptr, 0);
    LARGE_INTEGER opened = Now();
    HINTERNET request =
        session ? ::InternetOpenUrlA(session, argv[1], "Accept: */*\r\n\r\n", static_cast<DWORD>(-1),
                                     INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                                         INTERNET_FLAG_PRAGMA_NOCACHE,
                                     0)
                : nullptr;
    LARGE_INTEGER answered = Now();
    double bytes = 0;
    long reads = 0;
    bool ok = request != nullptr;
    while (ok) {
        DWORD got = 0;
        if (!::InternetReadFile(request, buffer.get(), size, &got)) ok = false;
        if (!ok || got == 0) break;
        ++reads;
        bytes += got;
        DWORD written = 0;
        if (file != INVALID_HANDLE_VALUE && !::WriteFile(file, buffer.get(), got, &written, nullptr)) ok = false;
    }
    LARGE_INTEGER read = Now();
    if (request) ::InternetCloseHandle(request);
    if (session) ::InternetCloseHandle(session);
    if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
    LARGE_INTEGER closed = Now();

    const double seconds = Ms(start, closed) / 1000;
    std::printf("ok %d bytes %.0f seconds %.3f MB/s %.1f reads %ld session_ms %.2f request_ms %.2f body_ms %.2f "
                "close_ms %.2f\n",
                ok ? 1 : 0, bytes, seconds, bytes / 1e6 / seconds, reads, Ms(start, opened), Ms(opened, answered),
                Ms(answered, read), Ms(read, closed));
    if (argc == 4) ::DeleteFileA(argv[3]);
    return ok ? 0 : 1;
}
