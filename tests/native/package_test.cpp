// The package functions: results instead of exceptions, and the password rule.
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "core/package/package.h"
#include "core/zip/zip_archive.h"
#include "core/zip/zip_native_path.h"
#include "zip_test_support.h"

using namespace quibo;

using namespace ziptest;

namespace {

const std::string kClientText = "[system]\r\nurls=url0=http://example.invalid/server.zip\r\n";

// A package with "client.dat" and "ui.dat", made the way the program makes them.
std::string MakePackage(const TempFolder& temp)
{
    std::string path = temp / "update.bin";
    WriteBytes(NativePath(path), EmptyArchive());
    EXPECT_TRUE(WritePackageMember(kClientText, path, "client.dat", ""));
    EXPECT_TRUE(WritePackageMember("[page0]\r\n", path, "ui.dat", ""));
    return path;
}

bool IsEncrypted(const std::string& path, const std::string& member)
{
    CZipArchive a;
    a.Open(path);
    return a.GetMemberInfo(a.FindMember(member)).IsEncrypted();
}

TEST(Package, ReadsMembersByNameWithoutCase)
{
    TempFolder temp;
    std::string path = MakePackage(temp);
    EXPECT_EQ(ReadPackageMember(path, "client.dat", ""), kClientText);
    EXPECT_EQ(ReadPackageMember(path, "CLIENT.DAT", ""), kClientText);
    EXPECT_EQ(ReadPackageMember(FixturePath("infozip.zip"), "stored.bin", ""), BinaryContent());
}

TEST(Package, ReadGivesNothingWhenThereIsNothingToGive)
{
    TempFolder temp;
    std::string path = MakePackage(temp);
    WriteBytes(NativePath(temp / "not-a-zip.bin"), "[system]\r\n");
    EXPECT_EQ(ReadPackageMember(path, "pre.dat", ""), "");
    EXPECT_EQ(ReadPackageMember(temp / "missing.bin", "client.dat", ""), "");
    EXPECT_EQ(ReadPackageMember(temp / "not-a-zip.bin", "client.dat", ""), "");
    EXPECT_EQ(ReadPackageMember(FixturePath("encrypted.zip"), "text.txt", ""), "");
    EXPECT_EQ(ReadPackageMember(FixturePath("encrypted.zip"), "text.txt", "wrong"), "");
    EXPECT_EQ(ReadPackageMember(FixturePath("encrypted.zip"), "text.txt", "secret"), TextContent());
}

TEST(Package, WriteReplacesTheMemberAndKeepsTheRest)
{
    TempFolder temp;
    std::string path = MakePackage(temp);
    const std::string updated = "[system]\r\nurls=\r\n[file0]\r\nver=1.2.3\r\n";
    EXPECT_TRUE(WritePackageMember(updated, path, "CLIENT.DAT", ""));

    CZipArchive a;
    a.Open(path);
    ASSERT_EQ(a.GetCount(), 2);  // replaced, not added beside the old one
    EXPECT_EQ(a.ReadMember(a.FindMember("client.dat")), updated);
    EXPECT_EQ(a.ReadMember(a.FindMember("ui.dat")), "[page0]\r\n");
    a.Close();
#ifndef _WIN32
    EXPECT_TRUE(Succeeds("unzip -tq " + Quote(path)));
#endif
}

TEST(Package, WriteRefusesEmptyContentAndNeverHarmsThePackage)
{
    TempFolder temp;
    std::string path = MakePackage(temp);
    const std::string before = ReadBytes(NativePath(path));

    EXPECT_FALSE(WritePackageMember("", path, "client.dat", ""));
    EXPECT_FALSE(WritePackageMember("x", temp / "missing.bin", "client.dat", ""));
    EXPECT_FALSE(fs::exists(NativePath(temp / "missing.bin")));
    // The new package cannot be written beside the old one.
    fs::create_directory(NativePath(path + ".new"));
    EXPECT_FALSE(WritePackageMember("[system]\r\n", path, "client.dat", ""));
    EXPECT_EQ(ReadBytes(NativePath(path)), before);
}

// The program's write-back goes through a replacer that reaches the disk: the
// whole new package is handed over beside the old one, never written into it.
TEST(Package, AReplacerPutsTheWholeChangedPackageInPlace)
{
    TempFolder temp;
    std::string path = MakePackage(temp);
    const std::string before = ReadBytes(NativePath(path));
    std::vector<std::pair<std::string, std::string>> calls;
    std::string handedOver;
    auto replace = [&](const std::string& written, const std::string& target) {
        calls.emplace_back(written, target);
        EXPECT_EQ(ReadBytes(NativePath(target)), before) << "the package changed before the replacer ran";
        handedOver = ReadBytes(NativePath(written));
        fs::rename(NativePath(written), NativePath(target));
        return true;
    };
    EXPECT_TRUE(WritePackageMember("[file0]\r\nver=2\r\n", path, "client.dat", "", replace));
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0], std::make_pair(StagedPackagePath(path), path));
    EXPECT_EQ(ReadBytes(NativePath(path)), handedOver);
    EXPECT_EQ(ReadPackageMember(path, "client.dat", ""), "[file0]\r\nver=2\r\n");
    EXPECT_EQ(ReadPackageMember(path, "ui.dat", ""), "[page0]\r\n");

    // A replacer that fails leaves the package and no staged file.
    auto refuse = [](const std::string&, const std::string&) { return false; };
    const std::string now = ReadBytes(NativePath(path));
    EXPECT_FALSE(WritePackageMember("[file0]\r\nver=3\r\n", path, "client.dat", "", refuse));
    EXPECT_EQ(ReadBytes(NativePath(path)), now);
    EXPECT_FALSE(fs::exists(NativePath(StagedPackagePath(path))));

    // A package that cannot be read or changed never reaches the replacer.
    calls.clear();
    EXPECT_FALSE(WritePackageMember("x", temp / "missing.bin", "client.dat", "", replace));
    WriteBytes(NativePath(temp / "broken.bin"), "not an archive");
    EXPECT_FALSE(WritePackageMember("x", temp / "broken.bin", "client.dat", "", replace));
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(ReadBytes(NativePath(temp / "broken.bin")), "not an archive");
    EXPECT_FALSE(fs::exists(NativePath(StagedPackagePath(temp / "broken.bin"))));
}

TEST(Package, APasswordCountsFromTwoCharacters)
{
    TempFolder temp;
    std::string path = MakePackage(temp);
    EXPECT_TRUE(WritePackageMember("one", path, "one.dat", "x"));
    EXPECT_FALSE(IsEncrypted(path, "one.dat"));
    EXPECT_EQ(ReadPackageMember(path, "one.dat", ""), "one");

    EXPECT_TRUE(WritePackageMember("two", path, "two.dat", "xy"));
    EXPECT_TRUE(IsEncrypted(path, "two.dat"));
    EXPECT_EQ(ReadPackageMember(path, "two.dat", "xy"), "two");
    EXPECT_EQ(ReadPackageMember(path, "two.dat", "x"), "");  // not applied, so no password
}

TEST(Package, ExtractsAMemberFromAPackageInMemory)
{
    std::string package = FixtureBytes("python.zip");
    EXPECT_EQ(ExtractPackageMember(package, "dir/nested/text.txt", ""), TextContent());
    EXPECT_EQ(ExtractPackageMember(package, "server.dat", ""), "");
    EXPECT_EQ(ExtractPackageMember("<html>404 Not Found</html>", "server.dat", ""), "");
    EXPECT_EQ(ExtractPackageMember("", "server.dat", ""), "");
    std::string secret = FixtureBytes("encrypted.zip");
    EXPECT_EQ(ExtractPackageMember(secret, "stored.bin", "secret"), BinaryContent());
    EXPECT_EQ(ExtractPackageMember(secret, "stored.bin", "Secret"), "");
}

// A package of `members` (name, text) in order, names held twice included.
std::string MakePackageOf(const TempFolder& temp,
                          const std::vector<std::pair<std::string, std::string>>& members)
{
    std::string path = temp / "members.bin";
    WriteBytes(NativePath(path), EmptyArchive());
    CZipArchive a;
    a.Open(path);
    for (const auto& [name, text] : members) a.AddMember(name, text);
    a.Close();
    return path;
}

TEST(Package, AConfigurationMemberIsRefusedByItsDeclaredSize)
{
    // A member that inflates beyond the cap is refused from its header alone,
    // whether it packs well (short lines) or not.
    struct Case {
        const char* what;
        std::string text;
        bool read;
    } cases[] = {
        {"exactly the cap", std::string(kMaxConfigMemberSize, 'a'), true},
        {"one byte more", std::string(kMaxConfigMemberSize + 1, 'a'), false},
        {"short lines",
         [] {
             std::string s;
             while (s.size() < 3 * kMaxConfigMemberSize) s += "a=1\r\n";
             return s;
         }(),
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder temp;
        std::string path = MakePackageOf(temp, {{"pre.dat", "[pre]"}, {"server.dat", c.text}});
        EXPECT_EQ(ReadPackageMember(path, "server.dat", "") == c.text, c.read);
        EXPECT_EQ(ExtractPackageMember(ReadBytes(NativePath(path)), "server.dat", "") == c.text, c.read);
        if (!c.read) {
            EXPECT_TRUE(ReadPackageMember(path, "server.dat", "").empty());
            EXPECT_EQ(ReadPackageMember(path, "pre.dat", ""), "[pre]");  // the rest stays readable
        }
    }
}

TEST(Package, ANameHeldTwiceIsNeverReadNorRewritten)
{
    struct Case {
        std::vector<std::pair<std::string, std::string>> members;
        std::string duplicate;
        std::string client;  // what reading "client.dat" gives
    } cases[] = {
        {{{"client.dat", "[file0]\r\nver=1\r\n"},
          {"pre.dat", "[pre]"},
          {"client.dat", "[file0]\r\nver=2\r\n"}},
         "client.dat",
         ""},
        {{{"client.dat", "one"}, {"CLIENT.DAT", "two"}, {"pre.dat", "[pre]"}}, "CLIENT.DAT", ""},
        {{{"client.dat", "one"}, {"ui.dat", "a"}, {"pre.dat", "[pre]"}, {"UI.dat", "b"}}, "UI.dat", "one"},
        {{{"client.dat", "one"}, {"ui.dat", "a"}, {"pre.dat", "[pre]"}}, "", "one"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.members[1].first + " " + c.duplicate);
        TempFolder temp;
        std::string path = MakePackageOf(temp, c.members);
        const std::string before = ReadBytes(NativePath(path));

        PackageRead read = ReadPackage(path, "client.dat", "");
        EXPECT_EQ(read.duplicate, c.duplicate);
        EXPECT_EQ(read.text, c.client);
        EXPECT_EQ(ExtractPackage(before, "client.dat", "").duplicate, c.duplicate);
        EXPECT_EQ(ReadPackageMember(path, "pre.dat", ""), "[pre]");  // a name held once still reads

        bool unambiguous = c.duplicate.empty();
        EXPECT_EQ(WritePackageMember("[file0]\r\nver=3\r\n", path, "client.dat", ""), unambiguous);
        if (unambiguous)
            EXPECT_EQ(ReadPackageMember(path, "client.dat", ""), "[file0]\r\nver=3\r\n");
        else
            EXPECT_TRUE(ReadBytes(NativePath(path)) == before) << "the package was rewritten";
    }
}

}  // namespace
