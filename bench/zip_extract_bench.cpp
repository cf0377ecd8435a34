// Extracts every member of an archive into a folder and prints the time,
// the bytes written and the throughput; bench/zip_extract.sh compares it
// with unzip on the same archives.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <string>

#include "result_line.h"
#include "core/zip/zip_archive.h"

using namespace quibo;

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s ARCHIVE FOLDER\n", argv[0]);
        return 2;
    }
    try {
        auto start = std::chrono::steady_clock::now();
        CZipArchive archive;
        archive.Open(argv[1]);
        std::uint64_t bytes = 0;
        for (int i = 0; i < archive.GetCount(); ++i) {
            archive.ExtractMember(i, argv[2]);
            bytes += archive.GetMemberInfo(i).uncompressedSize;
        }
        int members = archive.GetCount();
        archive.Close();
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("members %d", members);
        PrintThroughput(bytes, seconds);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
