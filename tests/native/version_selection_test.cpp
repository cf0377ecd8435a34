// Which items a run updates, whether it closes related programs first, and
// whether it must update the updater itself.
#include <gtest/gtest.h>

#include "core/config/update_check.h"
#include "core/text/case_fold.h"
#include "core/text/code_page.h"
#include "config_test_support.h"

using namespace quibo;

namespace {

// Gives the item its two versions and, unless told otherwise, one address.
void Offer(UpdateItem& item, const char* server, const char* client, bool withAddress = true)
{
    item.serverVersion = server;
    item.clientVersion = client;
    item.addresses.clear();
    if (withAddress) item.addresses.push_back({"http://h/x.bin", "", ""});
}

TEST(CompareVersions, MarksNewerItemsThatHaveAnAddress)
{
    UpdateConfig config;
    Offer(config.files[0], "1.1", "1.0");
    Offer(config.files[1], "1.1", "1.0", false);  // newer, but nowhere to fetch it
    Offer(config.files[2], "1.0", "1.1");
    Offer(config.dirs[9], "2.0", "0.0.0");
    config.files[3].isNew = true;  // left from an earlier comparison

    EXPECT_TRUE(CompareVersions(config));
    EXPECT_TRUE(config.files[0].isNew);
    EXPECT_FALSE(config.files[1].isNew);
    EXPECT_FALSE(config.files[2].isNew);
    EXPECT_FALSE(config.files[3].isNew);
    EXPECT_TRUE(config.dirs[9].isNew);

    UpdateConfig nothing;
    Offer(nothing.files[0], "1.0", "1.0");
    EXPECT_FALSE(CompareVersions(nothing));
}

TEST(CompareVersions, CloseItemsDecideWhetherProgramsAreClosed)
{
    using List = std::vector<std::string>;
    struct Case {
        List closeItems;
        ItemKind newKind;
        int newIndex;
        int expectedFlag;
    } cases[] = {
        {{}, ItemKind::File, 7, 1},  // no list: every item needs closing
        {{"file3"}, ItemKind::File, 3, 1},
        {{"FILE3"}, ItemKind::File, 3, 1},  // names ignore case
        {{"file3"}, ItemKind::File, 2, 0},
        {{"file3"}, ItemKind::Dir, 3, 0},  // dir3 is not file3
        {{"file1", "dir3"}, ItemKind::Dir, 3, 1},
    };
    for (const Case& c : cases) {
        UpdateConfig config;
        config.system.closeItems = c.closeItems;
        config.closeProcesses = true;  // a fresh comparison starts from false
        Offer(config.Item(c.newKind, c.newIndex), "2.0", "1.0");
        Offer(config.files[19], "1.0", "1.0");  // not newer: never counts
        EXPECT_TRUE(CompareVersions(config));
        EXPECT_EQ(config.closeProcesses, c.expectedFlag)
            << ItemSection(c.newKind, c.newIndex) << " with " << c.closeItems.size() << " close items";
        EXPECT_EQ(IsCloseItem(config, ItemKind::File, 19), c.closeItems.empty());
    }
}

class CheckSelfUpdateTest : public ::testing::Test {
protected:
    void Item(int index, const std::string& name, const std::string& path)
    {
        Offer(config_.files[index], "2.0", "1.0");
        config_.files[index].name = name;
        config_.files[index].path = path;
    }
    bool Check()
    {
        CompareVersions(config_);
        return CheckSelfUpdate(config_, context_);
    }
    UpdateConfig config_;
    ConfigContext context_ = TestContext();
};

TEST_F(CheckSelfUpdateTest, ProgramInTheProgramFolder)
{
    Item(2, "readme.txt", "");
    Item(4, "update.exe", "C:\\Acme\\App\\Tools\\");  // same name elsewhere: an ordinary file
    Item(5, "UPDATE.EXE", "C:\\Acme\\App\\");
    EXPECT_TRUE(Check());
    EXPECT_EQ(config_.selfUpdateIndex, 5);
    EXPECT_EQ(config_.packageIndex, -1);
}

TEST_F(CheckSelfUpdateTest, PackageWithoutPathAndTheLaterMatchWins)
{
    Item(1, "update.bin", "");
    Item(6, "Update.bin", "C:\\Acme\\App\\");
    EXPECT_TRUE(Check());
    EXPECT_EQ(config_.packageIndex, 6);
    EXPECT_EQ(config_.selfUpdateIndex, -1);
}

TEST_F(CheckSelfUpdateTest, NothingWhenTheOwnItemsAreNotNewOrElsewhere)
{
    Item(0, "update.exe", "c:\\acme\\app\\tools\\");
    Item(1, "update.bin", "");
    config_.files[1].clientVersion = "2.0";
    Item(2, "update.exe", "");
    config_.files[2].addresses.clear();  // newer, but cannot be fetched
    Item(3, "update.bin", "C:\\Acme\\App\\..\\");  // the folder above
    Item(4, "update.bin", "sub");                  // below the program folder
    EXPECT_FALSE(Check());
    EXPECT_EQ(config_.selfUpdateIndex, -1);
    EXPECT_EQ(config_.packageIndex, -1);
}

// However the program folder is written, an item aimed at the program or the
// package there is the updater's own: otherwise it would be installed over
// them as an ordinary file.
TEST_F(CheckSelfUpdateTest, TheProgramFolderInAnyOtherSpelling)
{
    const struct {
        const char* path;
        const char* name;
    } cases[] = {
        {"c:\\acme\\app\\", "update.bin"},
        {"C:\\ACME\\APP", "UPDATE.BIN"},
        {"app\\..", "update.bin"},                      // relative to the program folder
        {"C:\\Acme\\App\\sub\\..\\.\\", "update.exe"},
        {"C:/Acme/App/", "Update.Exe"},
        {"..\\App\\", "update.exe"},
        {"C:\\Acme\\..\\..\\Acme\\App\\", "update.bin"},  // ".." never climbs above the drive
        {"C:\\Acme\\App\\Tools", "..\\update.bin"},
        {".", "update.exe"},
    };
    for (const auto& c : cases) {
        config_ = UpdateConfig();
        Item(3, c.name, c.path);
        EXPECT_TRUE(Check()) << c.path << " " << c.name;
        const bool program = EqualsNoCase(c.name, "update.exe");
        EXPECT_EQ(config_.selfUpdateIndex, program ? 3 : -1) << c.path;
        EXPECT_EQ(config_.packageIndex, program ? -1 : 3) << c.path;
    }
}

TEST_F(CheckSelfUpdateTest, TheSystemsSpellingDecidesForShortNames)
{
    Item(3, "UPDATE.BIN", "C:\\ACME~1\\APP\\");
    CompareVersions(config_);
    EXPECT_FALSE(CheckSelfUpdate(config_, context_));
    auto longNames = [](const std::string& path) { return ReplaceAll(path, "ACME~1", "Acme"); };
    EXPECT_TRUE(CheckSelfUpdate(config_, context_, longNames));
    EXPECT_EQ(config_.packageIndex, 3);
}

TEST_F(CheckSelfUpdateTest, LeavingTheOwnItemsOutKeepsTheRest)
{
    config_.system.closeItems = {"file0"};
    Item(0, "update.exe", "");
    Item(1, "update.bin", "");
    ASSERT_TRUE(Check());
    ASSERT_TRUE(config_.closeProcesses);
    EXPECT_FALSE(LeaveOutSelfUpdate(config_));
    EXPECT_FALSE(config_.files[0].isNew || config_.files[1].isNew);
    EXPECT_EQ(config_.selfUpdateIndex, -1);
    EXPECT_EQ(config_.packageIndex, -1);
    EXPECT_FALSE(config_.closeProcesses);

    Item(2, "app.exe", "");
    ASSERT_TRUE(Check());
    EXPECT_TRUE(LeaveOutSelfUpdate(config_));
    EXPECT_TRUE(config_.files[2].isNew);
    EXPECT_FALSE(config_.files[0].isNew);
}

}  // namespace
