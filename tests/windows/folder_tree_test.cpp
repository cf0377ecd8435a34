// Removing the download folder: the whole tree goes, however deep, but never
// what a link inside it points to, never a file in use (nor a read-only one
// unless asked), and never a whole drive.
#include "install/folder_tree.h"

#include <gtest/gtest.h>

#include <string>

#include "install_test_support.h"
#include "junction.h"

using namespace quibo;
using namespace installtest;
using transfertest::FileExists;
using transfertest::WriteBytes;

using junctiontest::Wide;

TEST(FolderTree, RemovesTheWholeTree)
{
    Scratch scratch{"tree"};
    MakeTree(scratch.Path(), {{"dl\\file0\\a.bin", "a"}, {"dl\\dir1\\sub\\b.bin", "b"}, {"dl\\empty", kFolder},
                              {"dl\\\xD6\xD0\xCE\xC4\\\x81\x5C.txt", "c"}});
    EXPECT_TRUE(DeleteFolderTree(scratch / "dl"));
    EXPECT_EQ(Show(Snapshot(scratch.Path())), "");
    EXPECT_FALSE(DeleteFolderTree(scratch / "dl"));  // no longer there
}

// Paths well past 260 characters, which a fixed buffer would cut or overflow.
TEST(FolderTree, RemovesPathsOfAnyLength)
{
    Scratch scratch{"tree"};
    std::wstring folder = L"\\\\?\\" + Wide(scratch / "dl");
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    for (int i = 0; i < 5; ++i) {
        folder += L"\\" + std::wstring(80, static_cast<wchar_t>(L'a' + i));
        ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    }
    HANDLE file = ::CreateFileW((folder + L"\\deep.bin").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    ::CloseHandle(file);
    EXPECT_TRUE(DeleteFolderTree(scratch / "dl"));
    EXPECT_FALSE(FileExists(scratch / "dl"));
}

namespace {

// Wine answers success to a symbolic link but makes nothing: a link counts
// only when the entry carries the reparse attribute.
bool MakeSymbolicLink(const std::string& link, const std::string& target)
{
    const BOOL made = ::CreateSymbolicLinkW(Wide(link).c_str(), Wide(target).c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY);
    const DWORD attributes = ::GetFileAttributesW(Wide(link).c_str());
    return made && attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

}  // namespace

TEST(FolderTree, LinksAreRemovedNotFollowed)
{
    const struct {
        const char* kind;
        bool (*make)(const std::string& link, const std::string& target);
    } links[] = {{"junction", junctiontest::MakeJunction}, {"symbolic link", MakeSymbolicLink}};
    const Tree outside = {{"outside", kFolder}, {"outside\\precious.txt", "keep me"}};
    int made = 0;
    for (const auto& link : links) {
        SCOPED_TRACE(link.kind);
        Scratch scratch{"tree"};
        MakeTree(scratch.Path(), {{"outside\\precious.txt", "keep me"}, {"dl\\sub\\a.bin", "a"}});
        if (!link.make(scratch / "dl\\sub\\link", scratch / "outside")) continue;
        ++made;
        EXPECT_TRUE(DeleteFolderTree(scratch / "dl", ReadOnlyFiles::Removed));
        EXPECT_EQ(Show(Snapshot(scratch.Path())), Show(outside));
        // The download folder itself a link: only the link goes.
        ASSERT_TRUE(link.make(scratch / "dl", scratch / "outside"));
        EXPECT_TRUE(DeleteFolderTree(scratch / "dl"));
        EXPECT_EQ(Show(Snapshot(scratch.Path())), Show(outside));
    }
    if (made == 0) GTEST_SKIP() << "this system makes no links";
}

TEST(FolderTree, FilesThatCannotGoStayWithTheirFolders)
{
    Scratch scratch{"tree"};
    MakeTree(scratch.Path(), {{"dl\\ro\\fixed.txt", "read-only"}, {"dl\\open\\busy.txt", "in use"},
                              {"dl\\free\\gone.txt", "x"}});
    ::SetFileAttributesA((scratch / "dl\\ro\\fixed.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    FileLock lock(scratch / "dl\\open\\busy.txt");
    EXPECT_FALSE(DeleteFolderTree(scratch / "dl"));
    lock.Release();
    EXPECT_EQ(Show(Snapshot(scratch.Path())),
              Show({{"dl", kFolder},
                    {"dl\\ro", kFolder},
                    {"dl\\ro\\fixed.txt", "read-only"},
                    {"dl\\open", kFolder},
                    {"dl\\open\\busy.txt", "in use"}}));
    // Made anew before a download, the folder loses its read-only files too.
    FileLock again(scratch / "dl\\open\\busy.txt");
    EXPECT_FALSE(DeleteFolderTree(scratch / "dl", ReadOnlyFiles::Removed));
    again.Release();
    EXPECT_EQ(Show(Snapshot(scratch.Path())),
              Show({{"dl", kFolder}, {"dl\\open", kFolder}, {"dl\\open\\busy.txt", "in use"}}));
}

// An empty path would mean the current folder (and "\*.*" the root of the
// current drive), a root the whole drive. The drive here is a letter that
// stands for a scratch folder, so a mistake costs nothing outside it.
TEST(FolderTree, RefusesAnEmptyPathAndARoot)
{
    Scratch scratch{"tree"};
    MakeTree(scratch.Path(), {{"a.txt", "a"}, {"sub\\b.txt", "b"}});
    const std::string target = scratch.Path().substr(0, scratch.Path().size() - 1);
    if (!::DefineDosDeviceA(0, "Q:", target.c_str())) GTEST_SKIP() << "no drive letter to try a root with";
    char current[MAX_PATH] = {};
    ::GetCurrentDirectoryA(MAX_PATH, current);
    // Only from inside the stand-in drive: elsewhere a mistake would reach
    // a real one (Wine cannot enter such a drive; the case is then left out).
    if (::SetCurrentDirectoryA("Q:\\sub")) {
        EXPECT_FALSE(DeleteFolderTree(""));
        ::SetCurrentDirectoryA(current);
    }
    for (const char* root : {"Q:", "Q:\\", "Q:\\.", "Q:\\sub\\.."}) EXPECT_FALSE(DeleteFolderTree(root)) << root;
    ::DefineDosDeviceA(DDD_REMOVE_DEFINITION | DDD_EXACT_MATCH_ON_REMOVE, "Q:", target.c_str());
    EXPECT_EQ(Show(Snapshot(scratch.Path())), Show({{"a.txt", "a"}, {"sub", kFolder}, {"sub\\b.txt", "b"}}));
}
