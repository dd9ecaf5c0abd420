// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/RecentBatchFiles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Tandemix {
namespace {

using Items = std::vector<std::string>;

// Ten files, newest first, and the empty entry last, as the configuration reads them back.
SelectableList ElevenEntries()
{
    SelectableList list;
    for (int i = 1; i <= 10; ++i) {
        list.Items.push_back("/lists/" + std::to_string(i) + ".SNC");
    }
    list.Items.emplace_back();
    return list;
}

TEST(RecentBatchFilesTest, ATwelfthFileDropsTheTenthEntryAndKeepsTheEmptyOne)
{
    SelectableList list = ElevenEntries();
    RememberBatchFile(list, "/lists/new.SNC");
    ASSERT_EQ(list.Items.size(), 11u);
    EXPECT_EQ(list.Items.front(), "/lists/new.SNC");
    EXPECT_EQ(list.Items[9], "/lists/9.SNC");
    EXPECT_EQ(list.Items.back(), "");
    EXPECT_EQ(list.ItemIndex, 0);
}

TEST(RecentBatchFilesTest, AListedFileMovesToTheFrontAndFewerThanElevenOnlyGrow)
{
    SelectableList list = ElevenEntries();
    RememberBatchFile(list, "/lists/7.SNC");
    EXPECT_EQ(list.Items.size(), 11u);
    EXPECT_EQ(list.Items[0], "/lists/7.SNC");
    EXPECT_EQ(list.Items[1], "/lists/1.SNC");
    EXPECT_EQ(list.Items[7], "/lists/8.SNC");
    EXPECT_EQ(list.ItemIndex, 0);

    // Paths are names of the file system: another case is another file.
    SelectableList small{{"/a.SNC", ""}, 1};
    RememberBatchFile(small, "/A.SNC");
    EXPECT_EQ(small.Items, (Items{"/A.SNC", "/a.SNC", ""}));
    EXPECT_EQ(small.ItemIndex, 0);
}

TEST(RecentBatchFilesTest, ForgettingRemovesTheSelectedFileButNeverTheEmptyEntry)
{
    SelectableList list{{"/a.SNC", "/b.SNC", ""}, 1};
    ForgetSelectedBatchFile(list);
    EXPECT_EQ(list.Items, (Items{"/a.SNC", ""}));
    EXPECT_EQ(list.ItemIndex, 1);
    ForgetSelectedBatchFile(list);
    EXPECT_EQ(list.Items, (Items{"/a.SNC", ""}));

    SelectableList none{{"/a.SNC"}, 0};
    ForgetSelectedBatchFile(none);
    EXPECT_EQ(none.Items, (Items{""}));
    EXPECT_EQ(none.ItemIndex, 0);
}

} // namespace
} // namespace Tandemix
