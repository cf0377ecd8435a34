// The archive headers live beside windows.h in one translation unit: none of
// their names may collide with a Windows macro (as ReplaceFile once did).
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "core/zip/zip_abstract_file.h"
#include "core/zip/zip_archive.h"
#include "core/zip/zip_big_file.h"
#include "core/zip/zip_crypto.h"
#include "core/zip/zip_end_record.h"
#include "core/zip/zip_exception.h"
#include "core/zip/zip_format.h"
#include "core/zip/zip_header.h"
#include "core/zip/zip_local.h"
#include "core/zip/zip_mem_file.h"
#include "core/zip/zip_member_reader.h"
#include "core/zip/zip_name.h"
#include "core/zip/zip_native_path.h"
#include "core/zip/zip_replace.h"
#include "core/zip/zip_stamp.h"
#include "core/zip/zip_time.h"
#include "core/zip/zip_zlib.h"

using namespace quibo;

TEST(ArchiveBesideWindows, RenameOverAndAnArchiveRoundTripLinkWithWindowsHeaders)
{
    char temp[MAX_PATH] = {};
    ASSERT_GT(::GetTempPathA(MAX_PATH, temp), 0u);
    const std::string folder = std::string(temp) + "quibo_archive_beside_windows\\";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    const std::string from = folder + "new.bin", to = folder + "old.bin", archive = folder + "a.zip";
    std::ofstream(from, std::ios::binary) << "new";
    std::ofstream(to, std::ios::binary) << "old";

    RenameOver(NativePath(from), NativePath(to));
    std::ifstream in(to, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    EXPECT_EQ(text, "new");
    EXPECT_EQ(::GetFileAttributesA(from.c_str()), INVALID_FILE_ATTRIBUTES);

    // An empty archive: its end record alone.
    std::ofstream(archive, std::ios::binary) << std::string("PK\x05\x06", 4) << std::string(18, '\0');
    {
        CZipArchive zip;
        zip.Open(archive);
        zip.AddMember("a.txt", "beside windows.h");
        zip.Close();
    }
    CZipArchive zip;
    zip.Open(archive);
    ASSERT_EQ(zip.GetCount(), 1);
    EXPECT_EQ(zip.ReadMember(0), "beside windows.h");
    zip.Close();
    ::DeleteFileA(archive.c_str());
    ::DeleteFileA(to.c_str());
    ::RemoveDirectoryA(folder.c_str());
}
