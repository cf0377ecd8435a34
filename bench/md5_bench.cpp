// Digests one file with CFileMd5 and prints the digest, the time, the
// throughput and the peak memory; bench/md5.sh compares it with md5sum.
#include <chrono>
#include <cstdio>

#include "result_line.h"
#include "core/checksum/file_md5.h"

using namespace quibo;

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
        return 2;
    }
    auto start = std::chrono::steady_clock::now();
    CFileMd5 md5;
    md5.DigestFile(argv[1]);
    const char* digest = md5.GetDigest();
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!digest) {
        std::fprintf(stderr, "%s\n", md5.GetErrorText().c_str());
        return 1;
    }
    std::printf("%s", digest);
    PrintThroughput(md5.ByteCount(), seconds);
    return 0;
}
