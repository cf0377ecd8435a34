#include "core/checksum/md5.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace quibo;

namespace {

struct Vector {
    std::string message;
    const char* digest;
};

}  // namespace

TEST(Md5, PublishedTestSuite)
{
    const Vector cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
         "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const Vector& c : cases) EXPECT_EQ(Md5HexOf(c.message), c.digest) << '"' << c.message << '"';
}

TEST(Md5, LengthsAroundTheBlockAndPaddingEdges)
{
    // 55 bytes still fit the length into their block; 56 to 63 need a second
    // block; 64 is a whole block followed by a padding-only block.
    const std::pair<size_t, const char*> cases[] = {
        {55, "ef1772b6dff9a122358552954ad0df65"},  {56, "3b0c8ac703f828b04c6c197006d17218"},
        {63, "b06521f39153d618550606be297466d5"},  {64, "014842d480b571495a4a0363793f7367"},
        {65, "c743a45e0d2e6a95cb859adae0248435"},  {119, "8a7bd0732ed6a28ce75f6dabc90e1613"},
        {120, "5f61c0ccad4cac44c75ff505e1f1e537"}, {128, "e510683b3f5ffe4093d021808bc6ff70"},
    };
    for (const auto& [length, digest] : cases)
        EXPECT_EQ(Md5HexOf(std::string(length, 'a')), digest) << length << " bytes";
}

TEST(Md5, PiecesOfAnySizeGiveTheSameDigestAsOneUpdate)
{
    std::string data(5000, '\0');
    unsigned seed = 12345;
    for (char& c : data) c = static_cast<char>((seed = seed * 1103515245 + 12345) >> 16);
    const std::string whole = Md5HexOf(data);

    for (size_t piece : {1u, 3u, 63u, 64u, 65u, 1000u, 4999u}) {
        Md5 md5;
        for (size_t at = 0; at < data.size(); at += piece)
            md5.Update(data.data() + at, std::min(piece, data.size() - at));
        EXPECT_EQ(Md5Hex(md5.Final()), whole) << "pieces of " << piece;
    }
}

TEST(Md5, ResetStartsAFreshDigest)
{
    Md5 md5;
    md5.Update("abc", 3);
    md5.Final();
    md5.Reset();
    md5.Update("abc", 3);
    EXPECT_EQ(Md5Hex(md5.Final()), "900150983cd24fb0d6963f7d28e17f72");
}
