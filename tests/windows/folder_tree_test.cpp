// Removing the download folder: the whole tree goes, however deep, but never
// what a link inside it points to, never a file that is read-only or in use,
// and never a whole drive.
#include "install/folder_tree.h"

#include <gtest/gtest.h>

#include <string>

#include "install_test_support.h"

using namespace quibo;
using namespace installtest;
using transfertest::FileExists;
using transfertest::WriteBytes;

namespace {

std::wstring Wide(const std::string& text)
{
    std::wstring wide(text.size(), L'\0');
    int n = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0],
                                  static_cast<int>(wide.size()));
    wide.resize(static_cast<size_t>(n));
    return wide;
}

}  // namespace

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

TEST(FolderTree, LinksAreRemovedNotFollowed)
{
    Scratch scratch{"tree"};
    MakeTree(scratch.Path(), {{"outside\\precious.txt", "keep me"}, {"dl\\a.bin", "a"}});
    const std::wstring link = Wide(scratch / "dl\\link");
    // Wine answers success but makes nothing: the test needs a real link.
    const BOOL made =
        ::CreateSymbolicLinkW(link.c_str(), Wide(scratch / "outside").c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY);
    const DWORD attributes = ::GetFileAttributesW(link.c_str());
    if (!made || attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        GTEST_SKIP() << "this system makes no symbolic links";
    EXPECT_TRUE(DeleteFolderTree(scratch / "dl"));
    EXPECT_EQ(Show(Snapshot(scratch.Path())), Show({{"outside", kFolder}, {"outside\\precious.txt", "keep me"}}));
    // The download folder itself a link: only the link goes.
    ASSERT_TRUE(::CreateSymbolicLinkW(Wide(scratch / "dl").c_str(), Wide(scratch / "outside").c_str(),
                                      SYMBOLIC_LINK_FLAG_DIRECTORY));
    EXPECT_TRUE(DeleteFolderTree(scratch / "dl"));
    EXPECT_EQ(Show(Snapshot(scratch.Path())), Show({{"outside", kFolder}, {"outside\\precious.txt", "keep me"}}));
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
