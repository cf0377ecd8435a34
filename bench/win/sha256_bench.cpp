// The SHA-256 of one file through CNG, read as the download checks read it
// (Sha256OfHandle on an open handle). Prints the digest, then the bytes, the
// time (from the open to the digest, the first use of the provider
// included), the throughput and the peak working set; bench/sha256.sh
// compares it with sha256sum.
#include <windows.h>
#include <psapi.h>

#include <cstdio>

#include "core/signing/hex_text.h"
#include "win/cng_crypto.h"
#include "win/scoped_handle.h"

using namespace quibo;

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
        return 2;
    }
    LARGE_INTEGER frequency, start, end;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&start);
    UniqueFileHandle file(::CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    CngCrypto crypto;
    Sha256Digest digest{};
    std::uint64_t bytes = 0;
    if (!file || !Sha256OfHandle(file.Get(), crypto, digest, bytes)) {
        std::fprintf(stderr, "cannot hash %s (error %lu)\n", argv[1], ::GetLastError());
        return 1;
    }
    ::QueryPerformanceCounter(&end);
    const double seconds = static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart;

    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
    std::printf("%s bytes %llu seconds %.3f MB/s %.1f ws_peak_mib %.1f\n", ToHex(digest).c_str(),
                static_cast<unsigned long long>(bytes), seconds, bytes / 1e6 / seconds,
                static_cast<double>(counters.PeakWorkingSetSize) / 1048576);
    return 0;
}
