// A product's download folder made anew: whatever stood at its place or at
// the shared parent's goes without being followed, other products' folders
// beside it stay, and the end of a run leaves the parent only while another
// product still uses it.
#include "install/download_folder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>

#include "install_test_support.h"
#include "junction.h"

using namespace quibo;
using namespace installtest;
using junctiontest::MakeJunction;

namespace {

DWORD EntryAttributes(const std::string& path)
{
    WIN32_FIND_DATAA found;
    HANDLE find = ::FindFirstFileA(path.c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return INVALID_FILE_ATTRIBUTES;
    ::FindClose(find);
    return found.dwFileAttributes;
}

bool IsPlainEmptyFolder(const std::string& path)
{
    const DWORD attributes = EntryAttributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attributes & FILE_ATTRIBUTE_REPARSE_POINT) && Snapshot(path + "\\").empty();
}

const Tree kOutside = {{"outside", kFolder}, {"outside\\precious.txt", "keep me"}};

}  // namespace

TEST(DownloadFolder, WhatStandsThereGoesWithoutBeingFollowed)
{
    // Each case plants something below a scratch folder that stands for the
    // temporary folder; "outside" is what a link points to. Wine 8 makes no
    // junctions (the request is refused as not supported): those cases need
    // Windows, and the scenarios plant Wine's own folder links instead.
    const struct {
        const char* name;
        std::function<bool(Scratch&)> plant;
    } cases[] = {
        {"nothing", [](Scratch&) { return true; }},
        {"junction at the product's place",
         [](Scratch& s) {
             ::CreateDirectoryA((s / "~quibo_tmp").c_str(), nullptr);
             return MakeJunction(s / "~quibo_tmp\\0123456789abcdef", s / "outside");
         }},
        {"read-only file at the product's place",
         [](Scratch& s) {
             MakeTree(s.Path(), {{"~quibo_tmp\\0123456789abcdef", "planted"}});
             return ::SetFileAttributesA((s / "~quibo_tmp\\0123456789abcdef").c_str(), FILE_ATTRIBUTE_READONLY) != 0;
         }},
        {"folder tree holding a junction and a read-only file",
         [](Scratch& s) {
             MakeTree(s.Path(), {{"~quibo_tmp\\0123456789abcdef\\file0\\old.bin", "stale"},
                                 {"~quibo_tmp\\0123456789abcdef\\dir1\\sub\\fixed.txt", "read-only"}});
             ::SetFileAttributesA((s / "~quibo_tmp\\0123456789abcdef\\dir1\\sub\\fixed.txt").c_str(),
                                  FILE_ATTRIBUTE_READONLY);
             // The link where the system makes one; the rest of the tree stands anyway.
             MakeJunction(s / "~quibo_tmp\\0123456789abcdef\\dir1\\sub\\link", s / "outside");
             return true;
         }},
        {"junction at the shared parent's place",
         [](Scratch& s) { return MakeJunction(s / "~quibo_tmp", s / "outside"); }},
        {"file at the shared parent's place",
         [](Scratch& s) {
             MakeTree(s.Path(), {{"~quibo_tmp", "planted"}});
             return true;
         }},
    };
    std::string unplanted;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Scratch scratch{"dlfolder"};
        MakeTree(scratch.Path(), kOutside);
        if (!c.plant(scratch)) {
            unplanted += std::string(" [") + c.name + "]";
            continue;
        }
        EXPECT_TRUE(PrepareDownloadFolder(scratch / "~quibo_tmp\\0123456789abcdef\\"));
        EXPECT_TRUE(IsPlainEmptyFolder(scratch / "~quibo_tmp\\0123456789abcdef"));
        const DWORD parent = EntryAttributes(scratch / "~quibo_tmp");
        EXPECT_TRUE(parent != INVALID_FILE_ATTRIBUTES && !(parent & FILE_ATTRIBUTE_REPARSE_POINT));
        Tree expected = kOutside;
        expected.insert({{"~quibo_tmp", kFolder}, {"~quibo_tmp\\0123456789abcdef", kFolder}});
        EXPECT_EQ(Show(Snapshot(scratch.Path())), Show(expected));
    }
    if (!unplanted.empty()) std::printf("this system could not plant:%s\n", unplanted.c_str());
}

TEST(DownloadFolder, AnotherProductsFolderStaysAndKeepsTheParent)
{
    Scratch scratch{"dlfolder"};
    const Tree other = {{"~quibo_tmp", kFolder},
                        {"~quibo_tmp\\fedcba9876543210", kFolder},
                        {"~quibo_tmp\\fedcba9876543210\\file0", kFolder},
                        {"~quibo_tmp\\fedcba9876543210\\file0\\part.bin", "downloading"}};
    MakeTree(scratch.Path(), other);
    ASSERT_TRUE(PrepareDownloadFolder(scratch / "~quibo_tmp\\0123456789abcdef\\"));
    MakeTree(scratch.Path(), {{"~quibo_tmp\\0123456789abcdef\\file0\\done.bin", "done"}});
    RemoveDownloadFolder(scratch / "~quibo_tmp\\0123456789abcdef\\");
    EXPECT_EQ(Show(Snapshot(scratch.Path())), Show(other));
    // The last product's end takes the parent with it.
    RemoveDownloadFolder(scratch / "~quibo_tmp\\fedcba9876543210\\");
    EXPECT_EQ(Show(Snapshot(scratch.Path())), "");
}

// Nothing can be made where the temporary folder itself is missing: the
// download then fails instead of writing elsewhere.
TEST(DownloadFolder, FailsWithoutTheTemporaryFolder)
{
    Scratch scratch{"dlfolder"};
    EXPECT_FALSE(PrepareDownloadFolder(scratch / "missing\\~quibo_tmp\\0123456789abcdef\\"));
    EXPECT_EQ(Show(Snapshot(scratch.Path())), "");
}
