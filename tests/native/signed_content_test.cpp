// Whether a folder item's listing is exactly its signed list: names compare
// without regard to ASCII letter case, never by folding a trail byte of a
// double-byte character, and each listed file answers one listed record.
#include "core/transfer/signed_content.h"

#include <gtest/gtest.h>

using namespace quibo;

namespace {

DownloadRecord Listed(const std::string& subfolder, const std::string& name)
{
    return DownloadRecord{subfolder, name, "temp", 0, std::nullopt};
}

}  // namespace

TEST(SignedContentTest, AListingMatchesItsListOrNamesTheFirstFileThatDiffers)
{
    const LeadByteRule gbk(TextCharset::CodePage936);
    // "\x81\x41" is one character whose trail byte is "A"; "\x81\x61" another.
    const std::vector<ListedFile> list = {
        {"a.dll", 1, "11"}, {"sub\\deep\\B.dll", 2, "22"}, {"\x81\x41.txt", 3, "33"}};
    const struct {
        const char* what;
        std::vector<DownloadRecord> records;
        std::string odd;
    } cases[] = {
        {"exact, another letter case, \"/\" from a server",
         {Listed("", "A.DLL"), Listed("sub/deep", "b.dll"), Listed("", "\x81\x41.txt")}, ""},
        {"a file too many", {Listed("", "a.dll"), Listed("sub", "x.dll")}, "sub\\x.dll"},
        {"a file missing", {Listed("", "a.dll"), Listed("sub\\deep", "B.dll")}, "\x81\x41.txt"},
        {"the same file twice", {Listed("", "a.dll"), Listed("", "A.dll")}, "A.dll"},
        {"a trail byte is no letter",
         {Listed("", "a.dll"), Listed("sub\\deep", "B.dll"), Listed("", "\x81\x61.txt")}, "\x81\x61.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<DownloadRecord> records = c.records;
        EXPECT_EQ(MatchListedFiles(records, list, gbk), c.odd);
        if (!c.odd.empty()) continue;
        for (size_t i = 0; i < records.size(); ++i) {
            ASSERT_TRUE(records[i].content);
            EXPECT_EQ(records[i].content->size, list[i].size);
            EXPECT_EQ(records[i].content->sha256, list[i].sha256);
        }
    }
}
