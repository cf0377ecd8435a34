// Which items a run updates, whether it closes related programs first, and
// whether it must update the updater itself.
#include <gtest/gtest.h>

#include "core/config/update_check.h"
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
    Item(0, "update.exe", "c:\\acme\\app\\");  // the folder compares exactly
    Item(1, "update.bin", "");
    config_.files[1].clientVersion = "2.0";
    Item(2, "update.exe", "");
    config_.files[2].addresses.clear();  // newer, but cannot be fetched
    EXPECT_FALSE(Check());
    EXPECT_EQ(config_.selfUpdateIndex, -1);
    EXPECT_EQ(config_.packageIndex, -1);
}

}  // namespace
